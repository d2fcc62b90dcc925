#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTimer>

#include <algorithm>

#include "app/tform1.h"
#include "platform/qt/codepage.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"

using tumbo::DecodeCp1251;
using tumbo::EncodeCp1251;

void TForm1::AppendChatLine(const std::string& line) {
    Memo1->appendPlainText(DecodeCp1251(line));
}

std::string TForm1::InputText() const {
    return EncodeCp1251(Edit1->text());
}

void TForm1::SetInputText(const std::string& text) {
    Edit1->setText(DecodeCp1251(text));
}

void TForm1::SetProgressPosition(int position) {
    ProgressBar1->setValue(std::clamp(position, 0, ProgressBar1->maximum()));
}

void TForm1::Pause(int milliseconds) {
    // The window blocks during the pause, so what it says must be painted first.
    Memo1->viewport()->repaint();
    repaint();
    clock_.Sleep(milliseconds);
}

void TForm1::RequestClose() {
    // Closing waits until the running handler has finished.
    QTimer::singleShot(0, this, &QWidget::close);
}

void TForm1::ApplyOptions(const tumbo::TOptions& options) {
    ApplySettingsOptions(options);
    SetProgressMaximum(options.DialogueCount);
    Label2->setText(QString::fromUtf8("диологов в базе:") + QString::number(options.DialogueCount));
    Label2->adjustSize();
}

// Changing the check box or the track bar from here runs their handlers, as a user's
// change would; setting the value they already have runs nothing.
void TForm1::ApplySettingsOptions(const tumbo::TOptions& options) {
    if (!options.TransparentSkin) {
        SetAlphaBlend(false);
        Frame31->CheckBox1->setChecked(false);
        Frame31->TrackBar1->setEnabled(false);
    } else {
        SetAlphaValue(options.Opacity + tumbo::kAlphaBase);
        SetAlphaBlend(true);
        Frame31->CheckBox1->setChecked(true);
    }
    Frame31->TrackBar1->setValue(options.Opacity);
    Frame31->Edit1->setText(DecodeCp1251(options.UserName));
}

tumbo::TOptions TForm1::SettingsFromControls() const {
    tumbo::TOptions options;
    options.UserName = EncodeCp1251(Frame31->Edit1->text());
    options.TransparentSkin = Frame31->CheckBox1->isChecked();
    options.Opacity = Frame31->TrackBar1->value();
    return options;
}

void TForm1::SetAlphaBlend(bool on) {
    alphaBlend_ = on;
    setWindowOpacity(alphaBlend_ ? alphaValue_ / 255.0 : 1.0);
}

void TForm1::SetAlphaValue(int alpha) {
    alphaValue_ = alpha & 0xFF;
    setWindowOpacity(alphaBlend_ ? alphaValue_ / 255.0 : 1.0);
}

std::string TForm1::TeachField(int) const {
    return {};
}

void TForm1::SetTeachField(int, const std::string&) {}

void TForm1::ShowTeachPanel() {
    Frame21->show();
}
