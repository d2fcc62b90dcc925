#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <string>

class QLocalServer;

namespace tumbo {

// One running program per data folder. The holder of the folder's lock listens; a later
// start on the same folder asks it to come to the front instead of opening a second window
// that would write to the same files.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(std::string dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // For the holder of the folder's lock: answers later starts.
    void Listen();
    // Asks the folder's holder to the front, waiting at most `patience` for a holder that
    // has just started and is not listening yet. False when it did not answer.
    bool HandOver(std::chrono::milliseconds patience = std::chrono::seconds(5));

    // Where the holder of a folder listens: one name per user and folder, however the
    // folder is spelt.
    static QString ServerPathFor(const std::string& dataFolder);

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    void AnswerNextStart();

    std::string folder_;
    QString serverPath_;
    QLocalServer* server_ = nullptr;
};

// The one box a start shows when another program has its data folder.
void ShowAlreadyRunningBox(const std::string& dataFolder);

}  // namespace tumbo
