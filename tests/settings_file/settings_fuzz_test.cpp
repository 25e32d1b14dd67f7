// Malformed settings files, made by mutating a real export in seeded random ways (members
// deleted, values of the wrong kind, truncation, random bytes, huge numbers, deep nesting):
// importing them never crashes, and every refused one leaves the whole preferences domain,
// bindings included, exactly as it was.
#include "tests/settings_file/settings_transfer_fixture.h"

#include <nlohmann/json.hpp>
#include <random>

namespace morvanta::testing {
namespace {

using nlohmann::json;

class Mutator {
public:
    Mutator(const json& base, std::uint32_t seed)
        : base_(base), text_(base.dump(2)), random_(seed) {}

    std::string next() {
        switch (pick(8)) {
        case 0:
        case 1:
            return treeMutation(&Mutator::deleteMember);
        case 2:
        case 3:
            return treeMutation(&Mutator::changeKind);
        case 4:
            return text_.substr(0, pick(text_.size()));
        case 5:
            return randomBytes();
        case 6:
            return hugeNumber();
        default:
            return deepNesting();
        }
    }

private:
    std::size_t pick(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }

    // A random container of the document (the root most often), by walking down.
    json& someContainer(json& root) {
        json* at = &root;
        while (pick(2) != 0) {
            std::vector<json*> children;
            for (auto& child : *at)
                if (child.is_structured() && !child.empty())
                    children.push_back(&child);
            if (children.empty())
                break;
            at = children[pick(children.size())];
        }
        return *at;
    }

    using Edit = void (Mutator::*)(json& container);
    std::string treeMutation(Edit edit) {
        json document = base_;
        const int edits = 1 + static_cast<int>(pick(3));
        for (int i = 0; i < edits; ++i)
            (this->*edit)(someContainer(document));
        return document.dump(pick(2) == 0 ? -1 : 2);
    }

    void deleteMember(json& container) {
        if (container.empty())
            return;
        if (container.is_object()) {
            auto member = container.begin();
            std::advance(member, static_cast<long>(pick(container.size())));
            container.erase(member);
        } else {
            container.erase(pick(container.size()));
        }
    }

    json otherValue(const json& old) {
        const std::vector<json> kinds = {nullptr,
                                         true,
                                         -7,
                                         0.5,
                                         "text",
                                         json::array({1, "a"}),
                                         json::object({{"k", "v"}}),
                                         1e308,
                                         -1e308,
                                         std::numeric_limits<std::int64_t>::min(),
                                         std::numeric_limits<std::uint64_t>::max(),
                                         "",
                                         std::string("\xE2\x80\x9C\x00\x01", 5)};
        json value = kinds[pick(kinds.size())];
        return value.type() == old.type() && value == old ? json("changed") : value;
    }

    void changeKind(json& container) {
        if (container.empty())
            return;
        auto member = container.begin();
        std::advance(member, static_cast<long>(pick(container.size())));
        *member = otherValue(*member);
    }

    std::string randomBytes() {
        std::string text = text_;
        const int changes = 1 + static_cast<int>(pick(8));
        for (int i = 0; i < changes; ++i) {
            const char byte = static_cast<char>(pick(256));
            if (pick(2) == 0)
                text[pick(text.size())] = byte;
            else
                text.insert(pick(text.size() + 1), 1, byte);
        }
        if (pick(10) == 0) {
            text.clear();
            for (std::size_t i = pick(200); i > 0; --i)
                text.push_back(static_cast<char>(pick(256)));
        }
        return text;
    }

    // A number literal replaced by one no double or int holds.
    std::string hugeNumber() {
        static const std::vector<std::string> huge = {
            "1e999",      "-1e999",     "123456789012345678901234567890", "-99999999999999999999",
            "4294967296", "2147483648", "1.7976931348623157e309",         "0.1e-99999"};
        std::string text = text_;
        std::vector<std::size_t> numbers;
        for (std::size_t i = 1; i < text.size(); ++i)
            if ((text[i] >= '0' && text[i] <= '9') && (text[i - 1] == ' ' || text[i - 1] == ':'))
                numbers.push_back(i);
        const std::size_t at = numbers[pick(numbers.size())];
        std::size_t end = at;
        while (end < text.size() &&
               std::string_view("0123456789.eE+-").find(text[end]) != std::string_view::npos)
            ++end;
        text.replace(at, end - at, huge[pick(huge.size())]);
        return text;
    }

    // A member's value buried under thousands of arrays or objects, sometimes unclosed.
    std::string deepNesting() {
        json document = base_;
        const std::size_t depth = 1 + pick(pick(50) == 0 ? 100000 : 2000);
        const bool objects = pick(2) == 0;
        std::string open, close;
        for (std::size_t i = 0; i < depth; ++i) {
            open += objects ? "{\"a\":" : "[";
            close += objects ? "}" : "]";
        }
        if (pick(4) == 0)
            close.resize(pick(close.size()));
        std::string text = document.dump();
        const auto member = text.find("\"innerGap\":") + 11;
        return text.substr(0, member) + open + "1" + close + text.substr(text.find(',', member));
    }

    json base_;
    std::string text_;
    std::mt19937 random_;
};

TEST_F(SettingsTransferTest, MalformedDocumentsNeverChangeTheSettings) {
    controller->addLetterWorkspace(102);
    controller->addLetterWorkspace(110);
    settings.setAppRules(
        {{"org.example.Editor", "Editor", 102, false, true}, {"XTerm", "XTerm", 2, true, false}});
    settings.setLetterWorkspaceNames({{"B", "Books"}});
    settings.setWorkspaceNames({"Mail", "Web"});
    controller->commands().reloadFromSettings({{"2", "grid"}, {"102", "rows"}}, {{"3", "S1"}});
    keys->storeShortcut(std::nullopt, {"nextLayout", std::nullopt});
    const json base = json::parse(encodeSettingsFile(transfer->makeSettingsFile()));

    constexpr std::uint32_t seed = 20250301;
    Mutator mutator(base, seed);
    int refused = 0;
    int accepted = 0;
    for (int i = 0; refused < 10000 && i < 40000; ++i) {
        const std::string document = mutator.next();
        // Documents that stay valid are imported too, to see that odd but well-formed values
        // are handled; a few hundred of those are enough, and each costs a full import.
        if (SettingsTransfer::readBytes(document).file) {
            if (++accepted <= 300) {
                EXPECT_EQ(transfer->importBytes(document), std::nullopt);
            }
            continue;
        }
        const auto before = snapshot();
        const auto lines = log.lines().size();
        EXPECT_TRUE(transfer->importBytes(document));
        ++refused;
        if (snapshot() != before || log.lines().size() != lines) {
            ADD_FAILURE() << "seed " << seed << ", case " << i
                          << " changed the settings: " << document.substr(0, 400);
            break;
        }
    }
    EXPECT_EQ(refused, 10000);
    // Some mutants stay valid (a deleted appVersion, an odd layout name) and import.
    EXPECT_GT(accepted, 0);
}

} // namespace
} // namespace morvanta::testing
