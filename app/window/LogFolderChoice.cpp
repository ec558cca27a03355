#include "app/window/LogFolderChoice.h"

#include "jobs/LogFolder.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LogFolderSetting.h"
#include "qtext/QtCp1252.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include <system_error>

namespace kiv {
namespace {

QString QtPath(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

// A folder dialog cannot open on a share that is not mounted: the nearest
// folder above it that exists.
std::filesystem::path NearestExisting(std::filesystem::path folder)
{
    std::error_code ec;
    while (!folder.empty() && !std::filesystem::is_directory(folder, ec) && folder != folder.parent_path())
        folder = folder.parent_path();
    return folder;
}

} // namespace

std::vector<std::string> UseRememberedLogFolder(StartupPaths& paths, bool givenOnCommandLine)
{
    if (givenOnCommandLine)
        return {};
    try {
        if (auto remembered = ReadLogFolderSetting(paths.configFolder))
            paths.logFolder = *remembered;
    } catch (const KivError& error) {
        return {error.what()};
    }
    return {};
}

std::vector<std::string> WithLogFolderHint(std::vector<std::string> errors, const std::filesystem::path& logFolder)
{
    const std::string missing = CannotOpenFolderMessage(logFolder);
    for (std::string& error : errors)
        if (error == missing)
            error += ".\nChoisissez le dossier des logs avec le bouton \xAB Dossier des logs... \xBB (Alt+L)";
    return errors;
}

std::optional<std::filesystem::path> OfferLogFolderChoice(QWidget* parent, const std::filesystem::path& missing,
                                                          const std::function<int(QDialog&)>& runModal)
{
    QMessageBox question(QMessageBox::Question, QStringLiteral("Dossier des logs"),
                         QStringLiteral("Le dossier des logs ") + FromCp1252(PathForMessage(missing))
                             + QStringLiteral(" est introuvable.\nChoisir le dossier des logs ?"),
                         QMessageBox::Yes | QMessageBox::No, parent);
    question.setDefaultButton(QMessageBox::Yes);
    if (runModal(question) != QMessageBox::Yes)
        return std::nullopt;
    return ChooseLogFolder(parent, missing, runModal);
}

std::optional<std::filesystem::path> ChooseLogFolder(QWidget* parent, const std::filesystem::path& current,
                                                     const std::function<int(QDialog&)>& runModal)
{
    QFileDialog dialog(parent, QStringLiteral("Choisir le dossier des logs"), QtPath(NearestExisting(current)));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // Qt names the folder with "/"; a Windows user reads and writes it with "\\"
    // in kivlogs.conf and in messages.
    return std::filesystem::path(QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdU16String());
}

} // namespace kiv
