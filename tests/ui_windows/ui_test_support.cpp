#include "ui_test_support.h"

#include "settings/ini.h"

namespace korval::ui::test {

void FakeLinkPort::Link(LinkBox box, const std::string& topic, const std::string&)
{
    if (!running.count(topic)) Raise(err::DdeNoAnswer);
    linked.insert(box);
}

std::string IniValue(const korval::test::TempHome& home, const std::string& section, const std::string& key)
{
    IniFileRead r = ReadIniFile(home.path() / "KORVAL.ini");
    auto v = r.doc.Get(section, key);
    return v ? std::string(*v) : std::string("<absent>");
}

}  // namespace korval::ui::test
