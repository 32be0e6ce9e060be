#include "qt_test_support.h"

#include <algorithm>
#include <csignal>
#include <fstream>

#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace korval::test {

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QTimer deadline;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { loop.quit(); });
    poll.start(1);
    deadline.setSingleShot(true);
    deadline.start(static_cast<int>(limit.count()));
    loop.exec();
    return done();
}

// ---- Program ------------------------------------------------------------------------------------

Program::~Program()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

bool Program::Start(const QString& program, const QStringList& args, bool withInput)
{
    process_.start(program, args, withInput ? QIODevice::ReadWrite : QIODevice::ReadOnly);
    return process_.waitForStarted(20000);
}

void Program::Write(const std::string& bytes)
{
    process_.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void Program::Signal(int signal)
{
    ::kill(static_cast<pid_t>(process_.processId()), signal);
}

bool Program::Catches(int signal) const
{
    std::ifstream status("/proc/" + std::to_string(process_.processId()) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (!line.starts_with("SigCgt:")) continue;
        const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
        return (caught >> (signal - 1)) & 1u;
    }
    return false;
}

bool Program::Finished(std::chrono::milliseconds limit)
{
    const bool ended = RunUntil([&] { return process_.state() == QProcess::NotRunning; }, limit);
    Drain();
    return ended && process_.exitStatus() == QProcess::NormalExit;
}

void Program::Drain()
{
    const QByteArray out = process_.readAllStandardOutput();
    out_.append(out.constData(), static_cast<std::size_t>(out.size()));
    lines_ += static_cast<int>(std::count(out.begin(), out.end(), '\n'));
    const QByteArray err = process_.readAllStandardError();
    err_.append(err.constData(), static_cast<std::size_t>(err.size()));
}

const std::string& Program::Out()
{
    Drain();
    return out_;
}

const std::string& Program::Err()
{
    Drain();
    return err_;
}

int Program::OutLines()
{
    Drain();
    return lines_;
}

QString KorvalProgram()
{
    return QStringLiteral(KORVAL_PROGRAM);
}

QString LinkProgram()
{
    return QStringLiteral(KORVAL_LINK_PROGRAM);
}

// ---- ProgramTest --------------------------------------------------------------------------------

ProgramTest::ProgramTest()
{
    std::filesystem::create_directories(run);
    hadRuntime_ = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    oldRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(QFile::decodeName(run.c_str())));
    env = QProcessEnvironment::systemEnvironment();
}

ProgramTest::~ProgramTest()
{
    if (hadRuntime_) {
        qputenv("XDG_RUNTIME_DIR", oldRuntime_);
    } else {
        qunsetenv("XDG_RUNTIME_DIR");
    }
}

void ProgramTest::Start(Program& p, const QString& program, const QStringList& args, bool withInput)
{
    p.SetEnvironment(env);
    ASSERT_TRUE(p.Start(program, args, withInput)) << program.toStdString();
}

bool ProgramTest::Served(const std::string& fileName, std::chrono::milliseconds limit) const
{
    return RunUntil(
        [&] {
            for (const auto& e : std::filesystem::recursive_directory_iterator(run)) {
                if (e.path().filename() == fileName) return true;
            }
            return false;
        },
        limit);
}

}  // namespace korval::test
