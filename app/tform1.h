#pragma once

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/session.h"
#include "platform/clock.h"

class QAbstractButton;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tumbo {

class TFrame2;
class TFrame3;
class TFrame4;
class TFrame5;
class TFrame6;
class KnowledgeWindow;

// The one window of the program: the chat, the information box, the menu, the splash
// and the panels over the chat area. It shows what the session answers.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // `startFailures` are shown in boxes once the window is made.
    TForm1(tumbo::Session& session, tumbo::Clock& clock,
           std::vector<tumbo::Failure> startFailures = {}, QWidget* parent = nullptr);
    // A window whose splash shows while its base is still being prepared: nothing can be
    // started until Attach gives it the session.
    explicit TForm1(tumbo::Clock& clock, QWidget* parent = nullptr);
    ~TForm1() override;

    tumbo::Session& session() { return *session_; }
    // The prepared base's session; the splash lets loading start.
    void Attach(tumbo::Session& session, std::vector<tumbo::Failure> startFailures = {});
    // How far the install of the base has come, shown on the splash.
    void ShowInstallProgress(int done, int total);

    // Shows the window in front of the others with the keyboard, as a later start asks.
    void BringToFront();
    // Whether a panel is open, even while a later panel lies over it.
    bool IsPanelShown(const QWidget* panel) const;

    // How many of the latest lines the chat log keeps.
    static constexpr int kChatLogLines = 10000;

    // Handlers.
    void FormCreate();
    void BitBtn1Click();
    void N1Click();
    void N2Click();
    void N4Click();
    void N5Click();
    void N6Click();
    void N7Click();
    void Frame61Label1Click();
    void Frame61Label2Click();
    void Frame61Label1MouseEnter();
    void Frame61Label1MouseLeave();
    void Frame61Label2MouseEnter();
    void Frame61Label2MouseLeave();
    void StartLoading();
    void Frame21BitBtn1Click();
    void Frame21BitBtn2Click();
    void Frame21BitBtn3Click();
    void Frame21BitBtn4Click();
    void Frame41Label6Click();
    void Frame41BitBtn1Click();
    void Frame51Label4Click();
    void Frame51BitBtn1Click();
    void Frame51BitBtn2Click();
    void Frame51Image1Click();
    void Frame31CheckBox1Click();
    void Frame31TrackBar1Change();
    void Frame31BitBtn1Click();
    void Frame31BitBtn2Click();

    // What the window shows of the engine's work.
    void AppendChatLine(const std::string& line);
    void SetInputText(const std::string& text);
    void SetProgressPosition(int position);
    // Closes the window after the exit pause, taking no more phrases meanwhile.
    void CloseAfterPause();
    // How long a farewell stays on the screen.
    static constexpr int kExitPauseMs = 3000;
    // Pushes the options into every control that shows them.
    void ApplyOptions(const tumbo::TOptions& options);
    // The name, transparency and opacity as the settings controls now hold them.
    tumbo::TOptions SettingsFromControls() const;

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N5 = nullptr;
    QAction* N6 = nullptr;
    // «Научить другому ответу» (Ctrl+T), under «База».
    QAction* N7 = nullptr;
    TFrame2* Frame21 = nullptr;
    TFrame3* Frame31 = nullptr;
    TFrame4* Frame41 = nullptr;
    TFrame5* Frame51 = nullptr;
    TFrame6* Frame61 = nullptr;
    // «База диалогов», made when first asked for.
    KnowledgeWindow* knowledgeWindow() const { return knowledge_.get(); }

private:
    TForm1(tumbo::Session* session, tumbo::Clock& clock, std::vector<tumbo::Failure> startFailures,
           QWidget* parent);
    void createWindow();
    void createChatLayout();
    void createInfoBox();
    void createStatusStrip();
    void createPanels();
    void createSplash();
    void createMenu();
    void connectHandlers();
    void setTabOrder();
    void createShortcuts();
    void createTimers();

    // Runs a handler so that no failure leaves it: a failure is shown in the default
    // error box and the program carries on.
    void Guarded(const std::function<void()>& handler);
    // A slot that runs the handler inside that guard.
    std::function<void()> Guard(void (TForm1::*handler)());
    void SetProgressMaximum(int maximum);
    // Shows a turn's lines, its failure, and the panel its state asks for.
    void ShowTurn(const tumbo::Turn& turn);
    // The teaching panel opens with the phrase nobody answered as its first trigger.
    void OpenTeaching(const std::string& phrase);
    void ClearTeachFields();
    void FocusFirstTeachField(const tumbo::Turn& turn);
    tumbo::LessonFields TeachFieldTexts() const;
    void ShowTeachPanel();
    void HideTeachPanel();
    static QString MissingText(tumbo::LessonGap gap);
    void LoadingStep();
    void FinishLoading();
    void ApplySettingsOptions(const tumbo::TOptions& options);
    void ReloadOptions();
    // Whole-window transparency: an 8-bit alpha that counts only while blending is on.
    void SetAlphaBlend(bool on);
    void SetAlphaValue(int alpha);
    void ApplyOpacity();
    // Panels are opened and closed only through these, which keep what they cover hidden:
    // a covered control can take neither focus, keys nor clicks, and assistive tools do not
    // report it as showing. The focus goes to the panel on top, or back to the phrase field.
    void ShowPanel(QWidget* panel);
    void HidePanel(QWidget* panel);
    void UpdateCovering();
    void FocusTopmost();
    // Esc presses the leaving button of the panel on top.
    void EscapeTopPanel();
    // Puts the window's frame at its designed place, or as near as the screen allows.
    void PlaceOnScreen();
    void ShowBordered();
    KnowledgeWindow& OpenKnowledgeWindow();
    // Teaching another answer needs an answered phrase and nothing over the chat.
    void UpdateTeachAnew();

protected:
    bool event(QEvent* event) override;
    // Typing in the chat log goes to the phrase field.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Overlay {
        QWidget* panel;
        QWidget* firstControl;
        QAbstractButton* leaveButton;
        bool shown;
    };
    Overlay* OverlayOf(const QWidget* panel);
    const Overlay* TopOverlay() const;

    QWidget* client_ = nullptr;
    // The overlay panels from the bottom up: a later one lies over an earlier one.
    std::array<Overlay, 4> overlays_{};
    // Set while the bordered window waits for its frame, to be kept inside the screen.
    bool fitWhenFramed_ = false;
    int faceClicks_ = 0;
    static constexpr int kLoadingStepMs = 1;
    QTimer* loadingTimer_ = nullptr;
    QTimer* exitTimer_ = nullptr;
    // The search bar's position, shown at most once a frame while a walk runs.
    static constexpr std::uint64_t kProgressFrameNs = 40'000'000;
    static constexpr int kProgressClockEvery = 64;
    std::uint64_t progressShownAt_ = 0;
    int progressPosition_ = 0;
    bool alphaBlend_ = false;
    int alphaValue_ = 255;
    // Null while the base is being prepared.
    tumbo::Session* session_ = nullptr;
    tumbo::Clock& clock_;
    std::vector<tumbo::Failure> startFailures_;
    std::unique_ptr<KnowledgeWindow> knowledge_;
};

}  // namespace tumbo
