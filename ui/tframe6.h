#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

namespace tumbo {

class ClickableLabel;

// The splash panel over the whole window at start: the picture, the loading gauge and
// the two captions that start loading or leave.
class TFrame6 : public QFrame {
    Q_OBJECT

public:
    explicit TFrame6(QWidget* parent = nullptr);

    // Shows the program's picture, or the given JPEG data; throws TumboError when it
    // cannot be decoded, leaving the plain background.
    void LoadPicture();
    void LoadPicture(const QByteArray& jpeg);

    QLabel* Image1;
    QProgressBar* Gauge1;
    ClickableLabel* Label1;
    ClickableLabel* Label2;
};

}  // namespace tumbo
