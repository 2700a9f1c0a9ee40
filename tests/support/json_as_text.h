// The text report rebuilt from a -json document alone, with the text
// report's formats written out once more: whatever the document lacks, the
// rebuilt text lacks too.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace romscope::testing {

using Json = nlohmann::ordered_json;

// Every line that "romscope -rec -obj -sym -checkfiles" prints for the same
// image, but the search's "Checking record" progress lines, which the
// document leaves out.
std::string TextFromJson(const Json& doc);

}  // namespace romscope::testing
