#include "text/fields.h"

#include "text/convert.h"
#include "text/regexp.h"

namespace korval::fields {

std::string RegistrationField(std::string_view message)
{
    return Mid(message, 31, 7);
}

std::string DisplayRegistration(std::string_view message)
{
    return ReplaceAll(RegistrationField(message), ".", "");
}

std::string MessageNumberField(std::string_view message)
{
    return Mid(message, 80, 5);
}

std::string MessageNumber(std::string_view message)
{
    return Trim(MessageNumberField(message));
}

std::string FlightField(std::string_view message)
{
    return Mid(message, 98, 6);
}

std::string DisplayFlight(std::string_view message)
{
    return LTrim(Mid(message, 97, 7));
}

bool IsLoopOrSquitter(std::string_view message)
{
    return Contains(message, "LOOPTST") || Contains(message, "label: SQ");
}

bool IsUplink(std::string_view message)
{
    if (IsLoopOrSquitter(message)) return false;
    // "Block id: [A-Z]+" needs one capital letter after the label.
    for (std::size_t p = message.find("Block id: "); p != std::string_view::npos;
         p = message.find("Block id: ", p + 1)) {
        std::size_t q = p + 10;
        if (q < message.size() && message[q] >= 'A' && message[q] <= 'Z') return true;
    }
    return false;
}

bool IsSAMessage(std::string_view message)
{
    return Contains(message, "Message label: SA  Block");
}

bool IsB9Message(std::string_view message)
{
    return Contains(message, "Message label: B9  Block");
}

bool IsSBSReport(std::string_view message)
{
    return Contains(message, "SBS-1 position report");
}

bool IsOceanicClearance(std::string_view message)
{
    if (message.size() < kContentStart) return false;
    std::string_view content = message.substr(kContentStart - 1);
    return Contains(content, "RCL ") || Contains(content, "CLA ") || Contains(content, "CLX ");
}

}  // namespace korval::fields
