#pragma once

#include <QFrame>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tumbo {

// The settings panel: the user's name and the window's transparency.
class TFrame3 : public QFrame {
    Q_OBJECT

public:
    explicit TFrame3(QWidget* parent = nullptr);

    QLabel* Label1;
    QCheckBox* CheckBox1;
    QLineEdit* Edit1;
    QSlider* TrackBar1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

}  // namespace tumbo
