#include <QLabel>

#include "app/tform1.h"
#include "platform/qt/message_box.h"
#include "platform/qt/url_opener.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"
#include "ui/titles.h"

namespace tumbo {

namespace {

QString AboutMessage() {
    return WindowTitle() + QString::fromUtf8(
                               " программа на основе технологии ботов c функцией обучения.\n"
                               "Учусь каждый день, а вот посуду мыть так и не научился.");
}

struct FaceRemark {
    const char* caption;
    tumbo::BoxIcon icon;
    const char* text;
};

// Each click on the face gets the next remark; after the last one they start again.
const FaceRemark kFaceRemarks[] = {
    {"Warning", tumbo::BoxIcon::kWarning, "Не тыкай в лицо, меня это злит!!"},
    {"Warning", tumbo::BoxIcon::kWarning, "Ты чё специально тыкаешь!! У мя уже синяки :("},
    {"Error", tumbo::BoxIcon::kStop, "Ну всё довёл бота хана терь виндам!!"},
};

}  // namespace

void TForm1::Frame41Label6Click() {
    tumbo::OpenUrl(QUrl(TFrame4::WebPageUrl()));
}

void TForm1::Frame41BitBtn1Click() {
    HidePanel(Frame41);
}

void TForm1::Frame51Label4Click() {
    tumbo::OpenUrl(QUrl("mailto:" + TFrame5::ContactAddress()));
}

void TForm1::Frame51BitBtn1Click() {
    HidePanel(Frame51);
}

void TForm1::Frame51BitBtn2Click() {
    tumbo::ShowMessageBox(this, {"Confirm", AboutMessage(), tumbo::BoxIcon::kQuestion, {}});
}

void TForm1::Frame51Image1Click() {
    const FaceRemark& remark = kFaceRemarks[faceClicks_];
    faceClicks_ = (faceClicks_ + 1) % static_cast<int>(std::size(kFaceRemarks));
    tumbo::ShowMessageBox(this, {remark.caption, QString::fromUtf8(remark.text), remark.icon, {}});
}

}  // namespace tumbo
