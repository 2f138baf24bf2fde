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
    return rt::ReplaceText(escaped, u"'", u"&apos;");
}

rt::String launch_agent_text(rt::TextArg identifier, rt::TextArg application_path) {
    const rt::String text =
        rt::ReplaceText(LaunchAgentTemplate, u"{appid}", xml_escaped(identifier));
    return rt::ReplaceText(text, u"{apppath}", xml_escaped(application_path));
}

} // namespace app
