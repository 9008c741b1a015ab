#include "SnRAboutForm.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "HomePage.h"
#include "platform/CodePage.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString LinkTo(std::string_view url) {
  const QString target = FromUtf8(url);
  return QStringLiteral("<a href=\"%1\">%1</a>").arg(target.toHtmlEscaped());
}

}  // namespace

TSnRAboutForm::TSnRAboutForm(QWidget* parent)
    : QDialog(parent),
      FProgramNameLabel(new QLabel(FromUtf8(kProgramName), this)),
      FVersionLabel(new QLabel(this)),
      FDedicationLabel(new QLabel(this)),
      FHomepageLabel(new QLabel(this)),
      FOKButton(new QPushButton(this)) {
  setObjectName("SnRAboutForm");
  FProgramNameLabel->setObjectName("ProgramNameLabel");
  FVersionLabel->setObjectName("VersionLabel");
  FDedicationLabel->setObjectName("DedicationLabel");
  FHomepageLabel->setObjectName("HomepageLabel");
  FOKButton->setObjectName("OKButton");

  QFont nameFont = FProgramNameLabel->font();
  nameFont.setPointSizeF(nameFont.pointSizeF() * 2);
  nameFont.setBold(true);
  FProgramNameLabel->setFont(nameFont);
  for (QLabel* label : {FProgramNameLabel, FVersionLabel, FDedicationLabel, FHomepageLabel})
    label->setAlignment(Qt::AlignHCenter);
  FDedicationLabel->setWordWrap(true);
  FHomepageLabel->setTextFormat(Qt::RichText);
  FHomepageLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
  FHomepageLabel->setOpenExternalLinks(true);
  FOKButton->setDefault(true);
  connect(FOKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(FOKButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 16);
  layout->setSpacing(10);
  layout->addWidget(FProgramNameLabel);
  layout->addWidget(FVersionLabel);
  layout->addWidget(FDedicationLabel);
  layout->addWidget(FHomepageLabel);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  setMinimumWidth(360);
  setModal(true);
  // A tool window: a title and a close button, no minimise or maximise.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  SetCurrentLanguage(1);
}

void TSnRAboutForm::SetCurrentLanguage(int32_t language) {
  if (language != 0 && language != 1 && language != -1) return;
  setWindowTitle(UiText(TTextId::AboutTitle, language, {FromUtf8(kProgramName)}));
  // Which code set text is read in: it decides what a letter is for every search.
  FVersionLabel->setText(
      UiText(TTextId::AboutVersion, language,
             {FromUtf8(kProgramVersion), QString::fromLatin1(CodeSetName(ActiveCaseTable()))}));
  FDedicationLabel->setText(UiText(TTextId::AboutDedication, language));
  FOKButton->setText(UiText(TTextId::OKButton, language));
  FHomepageLabel->setText(LinkTo(HomePageUrl(language)));
}

}  // namespace fendrel
