#pragma once

// What the tests of the Qt layers share: a bounded wait on the event loop, and the programs run as
// child processes over a private link folder.

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "test_support.h"

namespace korval::test {

using namespace std::chrono_literals;

// Runs the event loop until `done` holds or `limit` has passed; true when it holds.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s);

// A child program with standard output and standard error kept apart and read as they come.
// Every wait is bounded; the destructor kills a program still running.
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
    // True once the program has a handler of its own for `signal` (Linux: /proc/PID/status).
    bool Catches(int signal) const;
    // Waits for the end; true when the program ended by itself with a status.
    bool Finished(std::chrono::milliseconds limit = 60s);
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    int ExitCode() const { return process_.exitCode(); }

    const std::string& Out();  // everything written so far
    const std::string& Err();
    int OutLines();  // complete lines of standard output so far

private:
    void Drain();
    QProcess process_;
    std::string out_, err_;
    int lines_ = 0;
};

// The programs under test.
QString KorvalProgram();
QString LinkProgram();

// A fixture for tests that run the programs: a temporary home whose folder "run" holds the link
// sockets of the programs it starts and of the links this process makes (XDG_RUNTIME_DIR).
class ProgramTest : public ::testing::Test {
protected:
    ProgramTest();
    ~ProgramTest() override;

    // Starts `program` in the private environment; a fatal failure when it does not start.
    void Start(Program& p, const QString& program, const QStringList& args, bool withInput = false);
    // Waits until a socket named `fileName` ("winacars%7cacars") appears under "run".
    bool Served(const std::string& fileName, std::chrono::milliseconds limit = 60s) const;

    TempHome home;
    std::filesystem::path run = home.path() / "run";
    QProcessEnvironment env;

private:
    bool hadRuntime_ = false;
    QByteArray oldRuntime_;
};

}  // namespace korval::test
