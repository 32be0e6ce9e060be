#pragma once

// Helpers of the end-to-end tests: settings, messages and the corpus in, JSON Lines out.

#include <string>
#include <string_view>
#include <vector>

#include "qt_test_support.h"

namespace korval::e2e {

using namespace std::chrono_literals;

using test::KorvalProgram;
using test::LinkProgram;
using test::Program;
using test::RunUntil;

// KORVAL.ini text (CR LF) of these tests: Airmaster checked, the daily log on, every filter off.
std::string Settings();

// A canonical message whose content is `content`.
std::string Message(std::string_view content);

// One replay line {"source": "airmaster", "text": ...} for the bytes `text`.
std::string ReplayLine(std::string_view text);

// The texts (bytes) of the corpus of realistic messages, repeated to `count` texts.
std::vector<std::string> CorpusTexts(std::size_t count);

// The string values of field `field` of every JSON line of `jsonl`; a JSON array value adds
// each of its elements. Lines that are not JSON objects with the field fail the test.
std::vector<std::string> Field(const std::string& jsonl, std::string_view field);

}  // namespace korval::e2e
