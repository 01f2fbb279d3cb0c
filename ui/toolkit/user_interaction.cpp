#include "ui/toolkit/user_interaction.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/toolkit/help_file.h"
#include "ui/toolkit/qt_file_filter.h"
#include "ui/toolkit/system_sound.h"
#include "ui/toolkit/texts.h"

namespace toolkit {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Stop:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

class DesktopUserInteraction : public IUserInteraction {
public:
    MessageAnswer ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon,
                              MessageButtons buttons) override {
        QMessageBox box(ToQtIcon(icon), QString::fromStdString(GetMessageCaption()),
                        QString::fromStdString(text), QMessageBox::NoButton, owner);
        if (buttons == MessageButtons::Ok) {
            QPushButton* ok = box.addButton(Text("IDS_OK"), QMessageBox::AcceptRole);
            box.setDefaultButton(ok);
            box.setEscapeButton(ok);
            box.exec();
            return MessageAnswer::Ok;
        }
        QPushButton* yes = box.addButton(Text("IDS_YES"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(Text("IDS_NO"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    OpenFilesResult GetOpenFileNames(QWidget* owner, const OpenFilesRequest& request) override {
        QFileDialog dialog(owner, QString::fromStdString(request.title),
                           QString::fromStdString(request.initialFolder));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        const QStringList filters = ToQtNameFilters(request.filter);
        dialog.setNameFilters(filters);
        if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
            dialog.selectNameFilter(filters[request.filterIndex - 1]);
        }
        OpenFilesResult result;
        if (dialog.exec() != QDialog::Accepted) {
            return result;
        }
        result.accepted = true;
        for (const QString& path : dialog.selectedFiles()) {
            result.paths.push_back(path.toStdString());
        }
        const int chosen = filters.indexOf(dialog.selectedNameFilter());
        result.filterIndex = chosen >= 0 ? chosen + 1 : request.filterIndex;
        return result;
    }

    std::optional<std::string> BrowseForFolder(QWidget* owner,
                                               const FolderRequest& request) override {
        // Qt's folder dialog has no place for a line of explanation, so it is embedded in a
        // dialog of ours below the text.
        QDialog frame(owner);
        frame.setWindowTitle(QString::fromStdString(GetMessageCaption() + " - " +
                                                    GetText("IDS_TL_SELECT_FOLDER_TITLE")));
        auto* layout = new QVBoxLayout(&frame);
        auto* info = new QLabel(QString::fromStdString(request.info), &frame);
        info->setWordWrap(true);
        layout->addWidget(info);
        auto* browser =
            new QFileDialog(&frame, QString(), QString::fromStdString(request.initialFolder));
        browser->setWindowFlags(Qt::Widget);
        browser->setOption(QFileDialog::DontUseNativeDialog, true);
        browser->setOption(QFileDialog::ShowDirsOnly, true);
        browser->setFileMode(QFileDialog::Directory);
        layout->addWidget(browser);
        QObject::connect(browser, &QFileDialog::finished, &frame, &QDialog::done);
        frame.resize(640, 440);
        if (frame.exec() != QDialog::Accepted || browser->selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return browser->selectedFiles().front().toStdString();
    }

    void PlaySystemSound(int kind) override { PlayEventSound(kind); }

    void PlayWave(std::string_view waveBytes) override { PlayWaveBytes(waveBytes); }

    bool OpenUrl(const std::string& url) override {
        const QString text = QString::fromStdString(url);
        const QUrl target = text.contains("://")
                                ? QUrl(text)
                                : QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
        return QDesktopServices::openUrl(target);
    }
};

IUserInteraction* installed = nullptr;

}  // namespace

IUserInteraction& UserInteraction() {
    static DesktopUserInteraction desktop;
    return installed != nullptr ? *installed : desktop;
}

void SetUserInteraction(IUserInteraction* service) {
    installed = service;
}

MessageAnswer ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon,
                          MessageButtons buttons) {
    return UserInteraction().ShowMessage(owner, text, icon, buttons);
}

}  // namespace toolkit

void PlaySystemSound(int kind) {
    toolkit::UserInteraction().PlaySystemSound(kind);
}

bool ShowHelp() {
    const std::string file = toolkit::FindHelpFile(toolkit::ProgramPath(), GetLanguageCode());
    // A missing help file shows nothing and reports nothing; the request counts as handled.
    if (!file.empty()) {
        toolkit::UserInteraction().OpenUrl(file);
    }
    return true;
}
