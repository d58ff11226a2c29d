#include "app/about_dialog.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "app/tray_icon.h"
#include "core/version.h"
#include "device/main_window_link.h"
#include "skin/ini_file.h"
#include "model/prompter.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/program_paths.h"
#include "skin/skin_files.h"

namespace zarvel {
namespace {

QString Text(std::string_view key) { return QString::fromStdString(LookupText(key)); }

}  // namespace

void OpenHelpPage() {
  const QString page = QString::fromStdString(ProgramFolder() + "Help/index.html");
  QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void OpenHelpOrSayWhere(Prompter& prompter, const std::function<bool(const QUrl&)>& open) {
  const std::string path = ProgramFolder() + "Help/index.html";
  const QUrl page = QUrl::fromLocalFile(QString::fromStdString(path));
  const bool opened = open ? open(page) : QDesktopServices::openUrl(page);
  if (!opened) prompter.ShowMessage("HELP_NOT_OPENED", FormatMessage(LookupText("HELP_NOT_OPENED"), {path}));
}

QString AboutDialog::LinkAddress() {
  CIniFile skin(SkinPath(kMainSkinFile));
  const std::string link = ReadSkinScreen(skin, SkinFolder()).link;
  return QString::fromStdString(link.empty() ? std::string(kDefaultLinkAddress) : link);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutDialog"));
  auto* picture = new QLabel(this);
  picture->setPixmap(TrayPicture(kNotConnectedTrayIcon).pixmap(48, 48));
  picture->setAlignment(Qt::AlignTop);
  intro_ = new QLabel(this);
  copyright_ = new QLabel(this);
  version_ = new QLabel(this);
  link_ = new QLabel(this);
  ok_ = new QPushButton(this);
  intro_->setObjectName(QStringLiteral("intro"));
  copyright_->setObjectName(QStringLiteral("copyright"));
  version_->setObjectName(QStringLiteral("version"));
  link_->setObjectName(QStringLiteral("link"));
  ok_->setObjectName(QStringLiteral("ok"));
  // The two lines are drawn as coloured text, as the keyboard's program does.
  intro_->setStyleSheet(QStringLiteral("color: #1f4e9c;"));
  copyright_->setStyleSheet(QStringLiteral("color: #1f4e9c;"));
  const QString address = LinkAddress();
  link_->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()));
  link_->setTextFormat(Qt::RichText);
  link_->setOpenExternalLinks(true);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(picture, 0, 0, 4, 1);
  layout->addWidget(intro_, 0, 1);
  layout->addWidget(copyright_, 1, 1);
  layout->addWidget(version_, 2, 1);
  layout->addWidget(link_, 3, 1);
  layout->addWidget(ok_, 4, 1, Qt::AlignRight);
  ApplyLanguage();
}

void AboutDialog::ShowAbout() {
  ApplyLanguage();
  show();
  raise();
  activateWindow();
}

void AboutDialog::ApplyLanguage() {
  setWindowTitle(Text("LANG_ABOUT_TITLE"));
  intro_->setText(Text("GUANYU_JIESHAO"));
  copyright_->setText(Text("GUANYU_BANQUAN"));
  version_->setText(QString::fromStdString(FormatMessage(LookupText("ABOUT_VERSION"), {std::string(ZarvelVersion())})));
  ok_->setText(Text("LANG_ABOUT_OK"));
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    OpenHelpPage();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace zarvel
