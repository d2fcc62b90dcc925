#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <string>

class QLocalServer;

namespace tumbo {

class BaseLock;

// One running program per data folder. The first start holds the folder's lock and
// listens; a later start on the same folder asks it to come to the front instead of
// opening a second window that would write to the same files.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        kHeld,              // this process has the folder
        kHandedOver,        // the running program has been brought to the front
        kRunningElsewhere,  // the folder is taken, and its holder did not answer
    };

    explicit SingleInstance(std::string dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder, or hands over to its holder, waiting at most `patience` for a
    // holder that has just started and is not listening yet. Throws InOutError when the
    // folder cannot be opened.
    Claim ClaimFolder(std::chrono::milliseconds patience = std::chrono::seconds(5));

    // Where the holder of a folder listens: one name per user and folder, however the
    // folder is spelt.
    static QString ServerPathFor(const std::string& dataFolder);

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    void Listen();
    bool HandOver(std::chrono::milliseconds patience);
    void AnswerNextStart();

    std::string folder_;
    QString serverPath_;
    std::unique_ptr<tumbo::BaseLock> lock_;
    QLocalServer* server_ = nullptr;
};

// The one box a start shows when another program has its data folder.
void ShowAlreadyRunningBox(const std::string& dataFolder);

}  // namespace tumbo
