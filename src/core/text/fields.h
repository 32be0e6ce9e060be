#pragma once

#include <string>
#include <string_view>

// Field reads of the canonical message text: four header lines at fixed character positions
// (counted from 1) and free content from character 125. Reads past the end of a short text
// give what is there (possibly nothing), never an error.
namespace korval::fields {

inline constexpr std::size_t kContentStart = 125;  // first character of the content
inline constexpr std::size_t kHeaderLength = 124;  // the four header lines with their CR LF

// Characters 31-37, dots included (".N923UP").
std::string RegistrationField(std::string_view message);
// The registration field with every "." removed ("N923UP"), as the Aircraft box shows it.
std::string DisplayRegistration(std::string_view message);
// Characters 80-84, blank included (" M76A").
std::string MessageNumberField(std::string_view message);
// Characters 80-84 with surrounding blanks removed ("M76A", "----").
std::string MessageNumber(std::string_view message);
// Characters 98-103, the six-character flight id window as it stands ("UP6567", "  123 ").
std::string FlightField(std::string_view message);
// Characters 97-103 with leading blanks removed, as the Flight box shows it.
std::string DisplayFlight(std::string_view message);

// "LOOPTST" or "label: SQ" anywhere.
bool IsLoopOrSquitter(std::string_view message);
// "Block id: " followed by a capital letter, and not a loop test or squitter.
bool IsUplink(std::string_view message);
bool IsSAMessage(std::string_view message);  // "Message label: SA  Block"
bool IsB9Message(std::string_view message);  // "Message label: B9  Block"
bool IsSBSReport(std::string_view message);  // "SBS-1 position report"
// "RCL ", "CLA " or "CLX " at or after character 125.
bool IsOceanicClearance(std::string_view message);

}  // namespace korval::fields
