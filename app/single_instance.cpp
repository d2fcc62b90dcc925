#include "app/single_instance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "platform/qt/message_box.h"
#include "ui/titles.h"

namespace tumbo {

namespace {

constexpr char kActivate[] = "activate\n";
constexpr char kDone[] = "ok\n";
constexpr int kConnectAttemptMs = 200;
constexpr int kRetryPauseMs = 100;

std::string CanonicalFolder(const std::string& folder) {
    std::error_code error;
    const auto canonical = std::filesystem::canonical(folder, error);
    return error ? folder : canonical.string();
}

}  // namespace

SingleInstance::SingleInstance(std::string dataFolder, QObject* parent)
    : QObject(parent), folder_(std::move(dataFolder)), serverPath_(ServerPathFor(folder_)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerPathFor(const std::string& dataFolder) {
    const QByteArray hash = QCryptographicHash::hash(
        QByteArray::fromStdString(CanonicalFolder(dataFolder)), QCryptographicHash::Sha256);
    // The user's runtime folder is private to the user and short enough for a socket name.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + "/tumbo3-" + QString::number(::getuid()) + "-" +
           QString::fromLatin1(hash.toHex().left(32));
}

void SingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // With the lock held, a socket left there can only be from a holder that died.
    if (!server_->listen(serverPath_)) {
        QLocalServer::removeServer(serverPath_);
        server_->listen(serverPath_);
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::AnswerNextStart);
}

void SingleInstance::AnswerNextStart() {
    while (QLocalSocket* start = server_->nextPendingConnection()) {
        connect(start, &QLocalSocket::disconnected, start, &QObject::deleteLater);
        connect(start, &QLocalSocket::readyRead, this, [this, start] {
            if (!start->canReadLine()) {
                return;
            }
            if (start->readLine() == kActivate) {
                emit activationRequested();
                start->write(kDone);
                start->flush();
            }
            start->disconnectFromServer();
        });
    }
}

bool SingleInstance::HandOver(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    const auto remainingMs = [deadline] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::int64_t>(left.count(), 1));
    };
    do {
        QLocalSocket socket;
        socket.connectToServer(serverPath_);
        if (socket.waitForConnected(std::min(kConnectAttemptMs, remainingMs()))) {
            socket.write(kActivate);
            // The holder may be busy for a moment (a search, the loading animation).
            if (socket.waitForBytesWritten(remainingMs())) {
                while (!socket.canReadLine() && socket.waitForReadyRead(remainingMs())) {
                }
                if (socket.canReadLine() && socket.readLine() == kDone) {
                    return true;
                }
            }
            return false;
        }
        // The holder may have taken the lock and not be listening yet. The wait keeps the
        // event loop turning, as every wait of the program does.
        QEventLoop pause;
        QTimer::singleShot(kRetryPauseMs, &pause, &QEventLoop::quit);
        pause.exec();
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

void ShowAlreadyRunningBox(const std::string& dataFolder) {
    tumbo::ShowMessageBox(
        nullptr, {ApplicationTitle(), QString::fromUtf8("Tumbo уже запущен с этой базой."),
                  tumbo::BoxIcon::kWarning,
                  QString::fromUtf8("Data folder: ") + QString::fromStdString(dataFolder)});
}

}  // namespace tumbo
