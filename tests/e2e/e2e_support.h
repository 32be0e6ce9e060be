#pragma once

// Helpers of the end-to-end tests: the programs as child processes over a private link folder,
// their JSON Lines, and the message corpus.

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QProcess>
#include <QStringList>

#include "test_support.h"

namespace korval::e2e {

using namespace std::chrono_literals;

// Runs the event loop until `done` holds or `limit` has passed; true when it holds.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s);
void RunFor(std::chrono::milliseconds span);

// KORVAL.ini text (CR LF) from "Section/Key=Value" entries over the defaults of these tests:
// no source checked, the daily log on, every filter off.
std::string Ini(const std::vector<std::string>& entries);

// A canonical message whose content is `content`.
std::string Message(std::string_view content, std::string_view msgNo = "M01A");

// One replay line {"source": "airmaster", "text": ...} for the bytes `text`.
std::string ReplayLine(std::string_view text);

// The texts (bytes) of the corpus of realistic messages, repeated to `count` texts.
std::vector<std::string> CorpusTexts(std::size_t count);
// The same as replay lines, all of source "airmaster": the one decoder the tests serve.
std::vector<std::string> CorpusLines(std::size_t count);

// The string values of field `field` of every JSON line of `jsonl`; a JSON array value adds
// each of its elements. Lines that are not JSON objects with the field fail the test.
std::vector<std::string> Field(const std::string& jsonl, std::string_view field);

// A child program with stdout and stderr kept apart and read as they come.
class Program {
public:
    Program() = default;
    explicit Program(const QProcessEnvironment& env) { SetEnvironment(env); }
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void SetEnvironment(const QProcessEnvironment& env) { process_.setProcessEnvironment(env); }
    bool Start(const QString& program, const QStringList& args, bool withInput = false);
    void Write(const std::string& bytes);
    void CloseInput() { process_.closeWriteChannel(); }
    void Signal(int signal);
    // Waits for the end; true when the program ended by itself with a status.
    bool Finished(std::chrono::milliseconds limit = 60s);
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    int ExitCode() const { return process_.exitCode(); }

    const std::string& Out();  // everything written so far
    const std::string& Err();
    int OutLines();

private:
    void Drain();
    QProcess process_;
    std::string out_, err_;
    int lines_ = 0;  // complete lines in out_
};

// The paths of the programs under test.
QString KorvalProgram();
QString LinkProgram();
QString ReplayProgram();

}  // namespace korval::e2e
