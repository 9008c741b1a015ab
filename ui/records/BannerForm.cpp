#include "BannerForm.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "HomePage.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Link(std::string_view url, const QString& caption) {
  return QStringLiteral("<a href=\"%1\">%2</a>")
      .arg(FromUtf8(url).toHtmlEscaped(), caption.toHtmlEscaped());
}

}  // namespace

TBannerForm::TBannerForm(QWidget* parent)
    : QDialog(parent),
      FTitleLabel(new QLabel(FromUtf8(kPairsName), this)),
      FNoteLabel(new QLabel(this)),
      FLinkLabel(new QLabel(this)),
      FOKButton(new QPushButton(this)) {
  setObjectName("BannerForm");
  FTitleLabel->setObjectName("TitleLabel");
  FNoteLabel->setObjectName("NoteLabel");
  FLinkLabel->setObjectName("LinkLabel");
  FOKButton->setObjectName("OKButton");
  // A note beside the main window, not a dialog that waits for an answer.
  setWindowFlag(Qt::Tool);
  setModal(false);

  QFont titleFont = FTitleLabel->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  titleFont.setBold(true);
  FTitleLabel->setFont(titleFont);
  FNoteLabel->setWordWrap(true);
  FLinkLabel->setTextFormat(Qt::RichText);
  FLinkLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
  FLinkLabel->setOpenExternalLinks(true);
  connect(FOKButton, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(FLinkLabel);
  buttons->addStretch(1);
  buttons->addWidget(FOKButton);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 14, 16, 12);
  layout->setSpacing(8);
  layout->addWidget(FTitleLabel);
  layout->addWidget(FNoteLabel);
  layout->addLayout(buttons);
  setFixedWidth(320);
  SetCurrentLanguage(1);
}

void TBannerForm::SetCurrentLanguage(int32_t language) {
  if (language != 0 && language != 1 && language != -1) return;
  setWindowTitle(UiText(TTextId::BannerTitle, language));
  FNoteLabel->setText(UiText(TTextId::BannerNote, language));
  FLinkLabel->setText(Link(PairsPageUrl(language), UiText(TTextId::BannerLink, language)));
  FOKButton->setText(UiText(TTextId::OKButton, language));
  FitHeight();
}

void TBannerForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) FitHeight();
}

void TBannerForm::FitHeight() {
  // Qt sizes a window by the width its wrapped text would like, wider than the banner's, and the
  // last lines would be cut off; a larger desktop font cuts more.
  layout()->activate();
  setFixedHeight(layout()->totalHeightForWidth(width()));
}

}  // namespace fendrel
