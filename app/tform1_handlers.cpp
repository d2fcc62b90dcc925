#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <optional>
#include <utility>

#include "app/default_error_box.h"
#include "app/tform1.h"
#include "platform/qt/codepage.h"
#include "ui/clickable_label.h"
#include "ui/colors.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"
#include "ui/tframe6.h"

namespace tumbo {

void TForm1::FormCreate() {
    for (const tumbo::Failure& failure : std::exchange(startFailures_, {})) {
        ShowFailure(failure);
    }
    ReloadOptions();
}

void TForm1::BringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TForm1::BitBtn1Click() {
    // Wherever the walk stopped, answered or failed, the bar shows it afterwards.
    struct ShowFinalPosition {
        TForm1* form;
        ~ShowFinalPosition() { form->ProgressBar1->setValue(form->progressPosition_); }
    } showFinalPosition{this};
    ShowTurn(session_->Say(EncodeCp1251(Edit1->text()),
                           [this](int walked) { SetProgressPosition(walked); }));
}

void TForm1::N1Click() {
    close();
}

void TForm1::N2Click() {
    ShowPanel(Frame31);
    // The name takes the focus whole: a name typed at once replaces it.
    Frame31->Edit1->selectAll();
}

void TForm1::N4Click() {
    ShowPanel(Frame41);
}

void TForm1::N5Click() {
    ShowPanel(Frame51);
}

TForm1::Overlay* TForm1::OverlayOf(const QWidget* panel) {
    for (Overlay& overlay : overlays_) {
        if (overlay.panel == panel) {
            return &overlay;
        }
    }
    return nullptr;
}

const TForm1::Overlay* TForm1::TopOverlay() const {
    for (auto overlay = overlays_.rbegin(); overlay != overlays_.rend(); ++overlay) {
        if (overlay->shown) {
            return &*overlay;
        }
    }
    return nullptr;
}

bool TForm1::IsPanelShown(const QWidget* panel) const {
    return std::any_of(overlays_.begin(), overlays_.end(), [panel](const Overlay& overlay) {
        return overlay.panel == panel && overlay.shown;
    });
}

void TForm1::ShowPanel(QWidget* panel) {
    OverlayOf(panel)->shown = true;
    UpdateCovering();
    FocusTopmost();
}

void TForm1::HidePanel(QWidget* panel) {
    OverlayOf(panel)->shown = false;
    UpdateCovering();
    FocusTopmost();
}

// Only what lies on top is shown: the splash over everything, the latest panel over the
// others and over the chat area. The panels are opaque and cover the same area, so hiding
// what they cover changes nothing on the screen.
void TForm1::UpdateCovering() {
    const bool splash = !Frame61->isHidden();
    const Overlay* top = splash ? nullptr : TopOverlay();
    for (const Overlay& overlay : overlays_) {
        overlay.panel->setVisible(&overlay == top);
    }
    UpdateTeachAnew();
    for (QWidget* control : std::initializer_list<QWidget*>{Memo1, BitBtn1, Edit1}) {
        control->setVisible(!splash && top == nullptr);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{GroupBox1, Label1, Bevel1}) {
        control->setVisible(!splash);
    }
}

void TForm1::FocusTopmost() {
    if (!Frame61->isHidden()) {
        return;
    }
    if (const Overlay* top = TopOverlay(); top != nullptr) {
        top->firstControl->setFocus();
        return;
    }
    // Back from a panel the field still shows the last phrase sent: the next one typed
    // must replace it, not join it.
    Edit1->setFocus();
    Edit1->selectAll();
}

void TForm1::EscapeTopPanel() {
    if (const Overlay* top = TopOverlay(); top != nullptr && Frame61->isHidden()) {
        top->leaveButton->click();
    }
}

void TForm1::Frame21BitBtn1Click() {
    const tumbo::Turn turn = session_->Confirm(TeachFieldTexts());
    ShowTurn(turn);
    if (turn.state == tumbo::SessionState::kChatting && !turn.failure) {
        ApplyOptions(session_->Options());
    }
}

QString TForm1::MissingText(tumbo::LessonGap gap) {
    switch (gap) {
        case tumbo::LessonGap::kNoTrigger:
            return QString::fromUtf8("Нужна ваша фраза: с неё начнётся диалог.");
        case tumbo::LessonGap::kNoReply:
            return QString::fromUtf8("Нужен хотя бы один ответ Тумбо.");
        case tumbo::LessonGap::kLastTurnWithoutReply:
            return QString::fromUtf8("У последней фразы нет ответа Тумбо.");
        case tumbo::LessonGap::kNone:
            break;
    }
    return {};
}

void TForm1::Frame21BitBtn2Click() {
    ShowTurn(session_->Leave());
}

void TForm1::Frame21BitBtn3Click() {
    const tumbo::Turn turn = session_->Extend(TeachFieldTexts());
    if (!turn.failure) {
        ClearTeachFields();
    }
    ShowTurn(turn);
    FocusFirstTeachField(turn);
}

void TForm1::Frame21BitBtn4Click() {
    const tumbo::Turn turn = session_->NextPhrase(TeachFieldTexts());
    if (!turn.failure) {
        ClearTeachFields();
    }
    ShowTurn(turn);
    FocusFirstTeachField(turn);
}

// After a step the fields are empty for the next variant or phrase, which starts at the top.
void TForm1::FocusFirstTeachField(const tumbo::Turn& turn) {
    if (!turn.failure && IsPanelShown(Frame21)) {
        Frame21->Edit1->setFocus(Qt::OtherFocusReason);
    }
}

void TForm1::Frame31CheckBox1Click() {
    const bool checked = Frame31->CheckBox1->isChecked();
    SetAlphaBlend(checked);
    Frame31->TrackBar1->setEnabled(checked);
}

void TForm1::Frame31TrackBar1Change() {
    SetAlphaValue(Frame31->TrackBar1->value() + tumbo::kAlphaBase);
}

void TForm1::Frame31BitBtn1Click() {
    if (const auto failure = session_->SaveOptions(SettingsFromControls())) {
        ShowFailure(*failure);
        return;
    }
    ApplyOptions(session_->Options());
    HidePanel(Frame31);
}

void TForm1::Frame31BitBtn2Click() {
    HidePanel(Frame31);
    ReloadOptions();
}

void TForm1::ReloadOptions() {
    // The lines that could be read are used; the box says what could not.
    const tumbo::Outcome<bool> read = session_->ReloadOptions();
    if (read.value) {
        ApplyOptions(session_->Options());
    }
    if (read.failure) {
        ShowFailure(*read.failure);
    }
}

void TForm1::Frame61Label1Click() {
    StartLoading();
}

void TForm1::Frame61Label2Click() {
    close();
}

void TForm1::Frame61Label1MouseEnter() {
    // Grey while the base is being prepared.
    if (!Frame61->Label1->isEnabled()) {
        return;
    }
    SetTextColor(Frame61->Label1, Qt::black);
}

void TForm1::Frame61Label1MouseLeave() {
    if (!Frame61->Label1->isEnabled()) {
        return;
    }
    SetTextColor(Frame61->Label1, kMaroon);
}

void TForm1::Frame61Label2MouseEnter() {
    SetTextColor(Frame61->Label2, Qt::black);
}

void TForm1::Frame61Label2MouseLeave() {
    SetTextColor(Frame61->Label2, kMaroon);
}

void TForm1::StartLoading() {
    if (loadingTimer_->isActive() || session_ == nullptr) {
        return;
    }
    Frame61->Gauge1->show();
    Frame61->Gauge1->setValue(0);
    loadingTimer_->start();
}

// The animation's steps come from a timer, a millisecond apart, so the window stays
// responsive while the gauge fills.
void TForm1::LoadingStep() {
    const int progress = Frame61->Gauge1->value() + 1;
    if (progress <= Frame61->Gauge1->maximum()) {
        Frame61->Gauge1->setValue(progress);
        return;
    }
    loadingTimer_->stop();
    FinishLoading();
}

void TForm1::FinishLoading() {
    Frame61->hide();
    for (QAction* item : menuBar()->actions()) {
        item->setVisible(true);
    }
    menuBar()->show();
    UpdateCovering();
    ShowBordered();
    Edit1->setFocus();
}

// A window manager decides a window's frame when the window is first mapped, and some keep
// what they decided when the same window is mapped again with other flags: the borderless
// splash's frame stays, or the new frame is placed in a race with the re-map. So the
// bordered window is a new native window whose flags and frame position (north-west
// gravity, a position the user asked for) are set before it is first mapped.
void TForm1::ShowBordered() {
    const bool wasVisible = isVisible();
    hide();
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (QWindow* native = windowHandle()) {
        native->destroy();
    }
    layout()->activate();
    PlaceOnScreen();
    if (QWindow* native = windowHandle()) {
        native->setFramePosition(pos());
    }
    if (!wasVisible) {
        return;
    }
    fitWhenFramed_ = true;
    show();
    // Wayland gives the focus itself and warns about a program that asks for it.
    if (!QGuiApplication::platformName().startsWith("wayland")) {
        activateWindow();
    }
}

}  // namespace tumbo
