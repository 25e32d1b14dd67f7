// PreferencesDocument: the JSON text of one preferences domain, and back.
//
// The document is one JSON object, key → value. Values keep their kind:
//   boolean      true / false
//   integer      a JSON number without fraction:      3
//   real number  a JSON number with fraction:         3.0, 0.58
//                NaN and infinities, which JSON lacks: {"$real": "nan" | "inf" | "-inf"}
//   string       a JSON string (bytes that are not UTF-8 are written as U+FFFD)
//   data         {"$data": "<base64, RFC 4648 with padding>"}
//   array        a JSON array
//   dictionary   a JSON object; a key that starts with "$" is written with one more "$" in
//                front ("$data" is stored as "$$data") and read back without it, so a
//                dictionary can never be mistaken for a "$data" or "$real" value.
// Reading drops members that hold JSON null or an unknown "$" marker; anything that is not
// a JSON object at the top, nests deeper than maxDepth, or does not parse is refused.
#pragma once

#include "app/settings/preference_value.h"

#include <optional>
#include <string>
#include <string_view>

namespace morvanta {

class PreferencesDocument {
public:
    static constexpr int maxDepth = 64;

    static std::string encode(const PreferenceValue::Dictionary& values);
    // None with a one-line reason in *error when the text is not a valid document.
    static std::optional<PreferenceValue::Dictionary> decode(std::string_view text,
                                                             std::string* error);

    static std::string base64Encode(const PreferenceValue::Data& bytes);
    static std::optional<PreferenceValue::Data> base64Decode(std::string_view text);
};

} // namespace morvanta
