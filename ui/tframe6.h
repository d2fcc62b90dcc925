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

    // A first start: the base is being installed, `done` of `total` files so far (0 of 0
    // before the count is known). Loading cannot be started meanwhile.
    void SayPreparing(int done, int total);
    // The base is there: loading can be started.
    void SayReady();

    QLabel* Image1;
    QProgressBar* Gauge1;
    ClickableLabel* Label1;
    ClickableLabel* Label2;
    // On a first start, whether the base is still being prepared or ready.
    QLabel* Label3;
};

}  // namespace tumbo
