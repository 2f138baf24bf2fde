#include "platform/launchd/launch_agent.h"

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/property_list.h"

namespace {

LaunchAgentRead failure(std::string error) {
    return {std::nullopt, std::move(error)};
}

id value_for(NSDictionary* dictionary, std::string_view key) {
    ObjcRef<NSString> key_string = NSString::from_utf8(key);
    return dictionary->objectForKey(key_string.get());
}

// The array's strings, or nullopt when it is missing, empty or holds anything but strings.
std::optional<std::vector<std::string>> strings_of(id value) {
    auto* array = dynamic_cast<NSArray*>(value);
    if (!array || array->count() == 0) return std::nullopt;
    std::vector<std::string> strings;
    for (const ObjcRef<>& element : *array) {
        auto* string = dynamic_cast<NSString*>(element.get());
        if (!string) return std::nullopt;
        strings.push_back(string->utf8());
    }
    return strings;
}

bool is_true(id value) {
    auto* number = dynamic_cast<NSNumber*>(value);
    return number && number->is_boolean() && number->boolValue();
}

} // namespace

bool is_usable_agent_label(std::string_view label) {
    if (label.empty() || label == "." || label == "..") return false;
    return label.find('/') == std::string_view::npos && label.find('\0') == std::string_view::npos;
}

LaunchAgentRead launch_agent_from(NSObject* root) {
    auto* dictionary = dynamic_cast<NSDictionary*>(root);
    if (!dictionary) return failure("not a launch agent: the property list is not a dictionary");
    auto* label = dynamic_cast<NSString*>(value_for(dictionary, "Label"));
    if (!label) return failure("not a launch agent: no Label string");
    std::string label_text = label->utf8();
    if (!is_usable_agent_label(label_text)) return failure("unusable Label \"" + label_text + "\"");
    std::optional<std::vector<std::string>> arguments =
        strings_of(value_for(dictionary, "ProgramArguments"));
    if (!arguments) return failure("not a launch agent: no ProgramArguments array of strings");
    LaunchAgent agent{std::move(label_text), std::move(*arguments),
                      is_true(value_for(dictionary, "RunAtLoad"))};
    return {std::move(agent), {}};
}

LaunchAgentRead parse_launch_agent(std::span<const std::uint8_t> bytes) {
    std::string error;
    ObjcRef<NSObject> root = parse_property_list(bytes, &error);
    if (!root) return failure("not a property list: " + error);
    return launch_agent_from(root.get());
}

LaunchAgentRead read_launch_agent(const std::string& path) {
    PropertyListFile file = load_property_list_file(path);
    if (file.status == PropertyListFileStatus::Read) return launch_agent_from(file.root.get());
    if (file.status == PropertyListFileStatus::Missing) return failure(path + ": no such file");
    return failure(path + ": " + file.error);
}
