#include "app/launch_agent.h"

#include "app/settings.h"
#include "runtime/core/file_system.h"
#include "runtime/core/string_functions.h"

namespace app {

const char16_t* const LaunchAgentTemplate =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    u"<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    u"\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    u"<plist version=\"1.0\">\n"
    u"<dict>\n"
    u"\t<key>Label</key>\n"
    u"\t<string>{appid}</string>\n"
    u"\t<key>ProgramArguments</key>\n"
    u"\t<array>\n"
    u"\t\t<string>/usr/bin/open</string>\n"
    u"\t\t<string>{apppath}</string>\n"
    u"\t</array>\n"
    u"\t<key>RunAtLoad</key>\n"
    u"\t<true/>\n"
    u"\t<key>KeepAlive</key>\n"
    u"\t<false/>\n"
    u"\t<key>LimitLoadToSessionType</key>\n"
    u"\t<string>Aqua</string></dict>\n"
    u"</plist>";

rt::String LaunchAgentsFolder() {
    return rt::HomeFolderPath() + u"Library/LaunchAgents/";
}

rt::String LaunchAgentFile() {
    return LaunchAgentsFolder() + ApplicationIdentifier + u".plist";
}

rt::String xml_escaped(rt::TextArg text) {
    // The ampersand first, so that the entities made after it stay as they are.
    rt::String escaped = rt::ReplaceText(text, u"&", u"&amp;");
    escaped = rt::ReplaceText(escaped, u"<", u"&lt;");
    escaped = rt::ReplaceText(escaped, u">", u"&gt;");
    escaped = rt::ReplaceText(escaped, u"\"", u"&quot;");
    escaped = rt::ReplaceText(escaped, u"'", u"&apos;");
    return rt::ReplaceText(escaped, u"\r", u"&#13;");
}

char16_t first_unit_xml_cannot_carry(rt::TextArg text) {
    for (const char16_t* unit = text.get(); unit && *unit; ++unit) {
        const bool allowed_control = *unit == u'\t' || *unit == u'\n' || *unit == u'\r';
        if ((*unit < 0x20 && !allowed_control) || *unit == 0xFFFE || *unit == 0xFFFF) return *unit;
    }
    return 0;
}

rt::String launch_agent_text(rt::TextArg identifier, rt::TextArg application_path) {
    const rt::String text =
        rt::ReplaceText(LaunchAgentTemplate, u"{appid}", xml_escaped(identifier));
    return rt::ReplaceText(text, u"{apppath}", xml_escaped(application_path));
}

} // namespace app
