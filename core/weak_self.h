// WeakSelf: an object's weak reference to itself, for the callbacks it hands to objects that
// may outlive it (run-loop tasks, observers, views). A callback holds a Ref and reaches the
// object only while the Ref still answers it. The owner calls end() first thing in its
// destructor: from there on every Ref answers null, so no callback runs on an object being torn
// down. Main thread only, like the objects that use it.
#pragma once

#include <functional>
#include <memory>

namespace morvanta {

template <class T> class WeakSelf {
public:
    // The callback's side: the object while it lives, null afterwards.
    class Ref {
    public:
        Ref() = default;
        T* get() const {
            const auto self = weak_.lock();
            return self ? *self : nullptr;
        }
        bool expired() const { return weak_.expired(); }

    private:
        friend class WeakSelf;
        explicit Ref(std::weak_ptr<T*> weak) : weak_(std::move(weak)) {}

        std::weak_ptr<T*> weak_;
    };

    explicit WeakSelf(T* self) : self_(std::make_shared<T*>(self)) {}
    WeakSelf(const WeakSelf&) = delete;
    WeakSelf& operator=(const WeakSelf&) = delete;

    Ref ref() const { return Ref(self_); }
    // A callback that runs `action` on the object while it lives.
    std::function<void()> bind(void (T::*action)()) const {
        return [ref = ref(), action] {
            if (T* self = ref.get())
                (self->*action)();
        };
    }
    // Every Ref answers null from here on.
    void end() { self_.reset(); }

private:
    std::shared_ptr<T*> self_;
};

} // namespace morvanta
