#include "app/report/ReportWindow.h"

#include "app/results/ResultsOutput.h"
#include "app/results/ResultsPrinting.h"
#include "app/runs/PrintJobRun.h"
#include "app/window/KivErrorBox.h"
#include "jobs/SubjectReportText.h"
#include "logscan/KivError.h"
#include "qtext/QtCp1252.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace kiv {
namespace {

// The report's lines as the results view takes them: each with its bold word.
std::vector<KeywordSearchResult> AsResults(std::vector<ReportLine>&& lines)
{
    std::vector<KeywordSearchResult> results;
    results.reserve(lines.size());
    for (ReportLine& line : lines)
        results.push_back({std::move(line.text), 0, line.boldStart, line.boldLength});
    return results;
}

QPushButton* NewButton(const QString& text, const QString& name, const QString& hint, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(hint);
    button->setToolTip(hint);
    return button;
}

} // namespace

ReportWindow::ReportWindow(Shared shared, SubjectReportRequest request, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , shared_(std::move(shared))
    , request_(std::move(request))
    , run_(this, [this](std::deque<Piece>& pieces) { Take(pieces); }, [this](Run::Ending ending) { Ended(std::move(ending)); },
           {}, {.mailboxBound = 64, .turnBudget = std::chrono::milliseconds(4)})
{
    setAttribute(Qt::WA_DeleteOnClose);
    Build();
    View->AppendResults(AsResults(ReportHeadingLines(request_)));
    run_.Start([request = request_](Run::Outbox& out) {
        SubjectReportEvents events;
        // The lines are made ready here, so that the window only takes them.
        events.onDay = [&](ReportDay&& day) {
            std::vector<ReportLine> lines;
            AppendReportDay(day, request, lines);
            out.Post(Piece{ResultsView::Lines(AsResults(std::move(lines))), 0, 0});
        };
        events.onProgress = [&](std::size_t done, std::size_t count) { out.Post(Piece{std::nullopt, done, count}); };
        return RunSubjectReport(request, events, &out.Cancelled());
    });
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::Build()
{
    setObjectName(QStringLiteral("ReportWindow"));
    setWindowTitle(Title() + QStringLiteral(" - Kiv Logs"));
    resize(900, 600);
    auto* layout = new QVBoxLayout(this);

    TitleLabel = new QLabel(Title(), this);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    QFont bold = TitleLabel->font();
    bold.setBold(true);
    TitleLabel->setFont(bold);
    WordsLabel = new QLabel(FromCp1252(ReportWordsLine(request_.words)), this);
    WordsLabel->setObjectName(QStringLiteral("WordsLabel"));
    WordsLabel->setWordWrap(true);
    layout->addWidget(TitleLabel);
    layout->addWidget(WordsLabel);

    View = new ResultsView(this);
    View->setObjectName(QStringLiteral("ReportView"));
    View->setAccessibleName(QStringLiteral("Rapport : ") + Title());
    layout->addWidget(View, 1);

    auto* progressRow = new QHBoxLayout;
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setAccessibleName(QStringLiteral("Jours lus"));
    Progress->setRange(0, 0);
    CancelButton = NewButton(QStringLiteral("&Annuler le rapport"), QStringLiteral("CancelButton"),
                             QStringLiteral("Arrête la lecture des logs ; ce qui est lu reste affiché"), this);
    Status = new QLabel(QStringLiteral("Lecture des logs…"), this);
    Status->setObjectName(QStringLiteral("Status"));
    progressRow->addWidget(Progress, 1);
    progressRow->addWidget(CancelButton);
    progressRow->addWidget(Status, 1);
    layout->addLayout(progressRow);

    auto* buttons = new QHBoxLayout;
    PrintButton = NewButton(QStringLiteral("&Imprimer"), QStringLiteral("PrintButton"),
                            QStringLiteral("Imprime le rapport, son titre en tête de chaque page"), this);
    SaveButton = NewButton(QStringLiteral("&Enregistrer"), QStringLiteral("SaveButton"),
                           QStringLiteral("Enregistre le rapport en texte"), this);
    CopyButton = NewButton(QStringLiteral("&Copier"), QStringLiteral("CopyButton"),
                           QStringLiteral("Copie tout le rapport, les mots en gras"), this);
    for (QPushButton* button : {PrintButton, SaveButton, CopyButton}) {
        buttons->addWidget(button);
        button->setEnabled(false);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(CancelButton, &QPushButton::clicked, this, &ReportWindow::CancelReport);
    connect(PrintButton, &QPushButton::clicked, this, &ReportWindow::Print);
    connect(SaveButton, &QPushButton::clicked, this, &ReportWindow::Save);
    connect(CopyButton, &QPushButton::clicked, this, &ReportWindow::Copy);

    saveDialog_ = new QFileDialog(this, QStringLiteral("Enregistrer le rapport"));
    saveDialog_->setObjectName(QStringLiteral("SaveDialog"));
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->setNameFilter(QStringLiteral("Texte (*.txt)"));
    saveDialog_->setDefaultSuffix(QStringLiteral("txt"));
}

QString ReportWindow::Title() const
{
    return FromCp1252(ReportTitle(request_));
}

void ReportWindow::Take(std::deque<Piece>& pieces)
{
    for (Piece& piece : pieces) {
        if (piece.lines) {
            View->AppendPrepared(std::move(*piece.lines));
        } else if (piece.dayCount > 0) {
            Progress->setRange(0, static_cast<int>(piece.dayCount));
            Progress->setValue(static_cast<int>(piece.daysDone));
        }
    }
    pieces.clear();
}

void ReportWindow::Ended(Run::Ending ending)
{
    SubjectReportResult& result = ending.result;
    if (!ending.failure.empty()) {
        result.outcome.allRead = false;
        result.outcome.errors.push_back(ending.failure);
    }
    std::vector<ReportLine> totals;
    AppendReportTotals(result, request_, totals);
    View->AppendResults(AsResults(std::move(totals)));
    ShowIdle(result.total.sessions == 0 && result.total.Results() == 0
                 ? QStringLiteral("Aucune connexion et aucun mot surveillé sur la période.")
                 : QStringLiteral("Rapport terminé."));
    ShowKivErrors(this, result.outcome.errors);
    emit Finished(result.outcome);
}

void ReportWindow::ShowIdle(const QString& status)
{
    Progress->hide();
    CancelButton->hide();
    Status->setText(status);
    for (QPushButton* button : {PrintButton, SaveButton, CopyButton})
        button->setEnabled(true);
}

void ReportWindow::CancelReport()
{
    if (!Running())
        return;
    // The job looks at the flag between days and every few thousand lines.
    run_.CancelAndWait();
    ShowIdle(QStringLiteral("Rapport interrompu : les jours lus sont affichés."));
    ScanOutcome outcome;
    outcome.cancelled = true;
    outcome.allRead = false;
    emit Finished(outcome);
}

void ReportWindow::SaveTo(const std::filesystem::path& path) const
{
    if (shared_.programFiles)
        RefuseSavingOverProgramFile(path, shared_.programFiles());
    SaveResultsFile(*View, path);
}

void ReportWindow::Save()
{
    QString name = QStringLiteral("rapport_") + FromCp1252(request_.name) + QStringLiteral(".txt");
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    saveDialog_->selectFile(name);
    if (!shared_.runModal || shared_.runModal(*saveDialog_) != QDialog::Accepted)
        return;
    const QStringList files = saveDialog_->selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return;
    if (ReportErrors(this, [&] { SaveTo(std::filesystem::path(files.front().toStdU16String())); }))
        Status->setText(QStringLiteral("Rapport enregistré dans ") + files.front());
}

bool ReportWindow::PrintOn(std::shared_ptr<QPrinter> printer)
{
    printer->setDocName(Title());
    // The printout takes the text as it is now.
    return shared_.printing->Start(
        [lines = View->Store(), font = View->font(), printer, title = Title()](const std::atomic<bool>& cancel) {
            PrintResults(lines, font, *printer, &cancel, title);
        });
}

void ReportWindow::Print()
{
    ReportErrors(this, [this] {
        if (shared_.hasPrinter && !shared_.hasPrinter())
            throw KivError("Aucune imprimante par d\xE9" "faut s\xE9" "lectionn\xE9" "e");
        std::shared_ptr<QPrinter> printer = shared_.newJobPrinter();
        {
            QPrintDialog dialog(printer.get(), this);
            dialog.setObjectName(QStringLiteral("ReportPrintDialog"));
            if (!shared_.runModal || shared_.runModal(dialog) != QDialog::Accepted)
                return;
        }
        if (!PrintOn(printer))
            Status->setText(QStringLiteral("Une impression est en cours : réessayez quand elle sera finie."));
    });
}

void ReportWindow::Copy()
{
    View->selectAll();
    View->copy();
    Status->setText(QStringLiteral("Rapport copié."));
}

void ReportWindow::closeEvent(QCloseEvent* event)
{
    if (Running())
        run_.CancelAndWait();
    QWidget::closeEvent(event);
}

} // namespace kiv
