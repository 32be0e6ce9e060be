#pragma once

#include <set>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "station/links.h"
#include "test_support.h"

namespace korval::ui::test {

// A link layer where only the named topics have a running server.
class FakeLinkPort final : public LinkPort {
public:
    std::set<std::string> running;
    std::set<LinkBox> linked;
    std::set<LinkBox> waiting;  // kept until the source comes up
    void Link(LinkBox box, const std::string& topic, const std::string& item) override;
    void LinkLater(LinkBox box, const std::string&, const std::string&) override { waiting.insert(box); }
    void Unlink(LinkBox box) override
    {
        linked.erase(box);
        waiting.erase(box);
    }
};

// The child of `parent` called `name`, or a test failure.
template <class T>
T* Child(const QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

// A settings file line by line, for finding "key=value" in a section.
std::string IniValue(const korval::test::TempHome& home, const std::string& section, const std::string& key);

}  // namespace korval::ui::test
