#include "test_support.h"

#include <unistd.h>
#include <atomic>
#include <fstream>
#include <sstream>

#include "text/fault.h"

namespace korval::test {

TempHome::TempHome(bool withLogs)
{
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("korval-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    if (withLogs) std::filesystem::create_directories(path_ / "Logs");
}

TempHome::~TempHome()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempHome::Write(const std::string& name, std::string_view content) const
{
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string TempHome::Read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool TempHome::Exists(const std::string& name) const
{
    return std::filesystem::exists(path_ / name);
}

std::string Canonical(std::string_view reg7, std::string_view label, char block, std::string_view msgNo,
                      std::string_view flight6, std::string_view content, char prefix, char mode)
{
    std::string m;
    m += prefix;
    m += "ACARS mode: ";
    m += mode;
    m += "  Aircraft reg: ";
    m += reg7;
    m += "\r\nMessage label: ";
    m += label;
    m += "  Block id: ";
    m += block;
    m += "  Msg. no: ";
    m += msgNo;
    m += "\r\nFlight id: ";
    m += flight6;
    m += "\r\nMessage content:-\r\n";
    m += content;
    return m;
}

std::shared_ptr<Aircraft> AddAircraft(Station& s, const std::string& id, const std::string& location)
{
    auto a = std::make_shared<Aircraft>();
    a->ID = id;
    a->FNo = "FN" + id;
    a->Mach = "M080";
    a->Level = "F350";
    a->Route = "EGLL-KJFK";
    a->ACDetails = "B744";
    a->NewLocation = location;
    a->Show = true;
    s.AircraftCol.Add(a, id);
    return a;
}

std::string ReadTestData(const std::string& name)
{
    std::ifstream in(std::string(KORVAL_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int FaultOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Fault& f) {
        return f.number();
    }
    return 0;
}

}  // namespace korval::test
