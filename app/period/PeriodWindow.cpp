#include "app/period/PeriodWindow.h"

#include "app/period/HeatMap.h"
#include "app/results/SaveTarget.h"
#include "app/runs/PrintJobRun.h"
#include "app/window/KivErrorBox.h"
#include "app/window/WindowSettings.h"
#include "grid/PrintQueue.h"
#include "grid/QtTablePrint.h"
#include "jobs/PeriodSummary.h"
#include "logscan/FileIo.h"
#include "qtext/QtCp1252.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace kiv {
namespace {

LogDate ToLogDate(QDate date)
{
    return {date.year(), date.month(), date.day()};
}

QDate ToQDate(LogDate date)
{
    return QDate(date.year, date.month, date.day);
}

QDateEdit* NewDateEdit(const QString& accessibleName, QWidget* parent)
{
    auto* edit = new QDateEdit(parent);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edit->setAccessibleName(accessibleName);
    return edit;
}

} // namespace

PeriodWindow::PeriodWindow(Shared shared, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , shared_(std::move(shared))
    , run_(this,
           [this](std::deque<DaysCounted>& news) {
               // Only the latest matters.
               Progress->setRange(0, static_cast<int>(news.back().dayCount));
               Progress->setValue(static_cast<int>(news.back().daysDone));
               news.clear();
           },
           [this](Run::Ending ending) { Ended(std::move(ending)); })
{
    setObjectName(QStringLiteral("PeriodWindow"));
    setWindowTitle(QStringLiteral("Occupation des salles sur une période"));
    resize(900, 520);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    DateFrom = NewDateEdit(QStringLiteral("Du"), this);
    DateTo = NewDateEdit(QStringLiteral("Au"), this);
    Room = new QComboBox(this);
    Room->setEditable(true);
    Room->setInsertPolicy(QComboBox::NoInsert);
    Room->setCompleter(nullptr); // "S5" means every room of the fifth floor, as in the tab
    Room->setAccessibleName(QStringLiteral("Salle"));
    Room->setMinimumWidth(145);
    const std::pair<const char*, QWidget*> fields[] = {{"&Du :", DateFrom}, {"&Au :", DateTo}, {"&Salle :", Room}};
    for (const auto& [text, field] : fields) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(field);
        top->addWidget(label);
        top->addWidget(field);
        top->addSpacing(12);
    }
    Progress = new QProgressBar(this);
    Progress->setTextVisible(false);
    Progress->setAccessibleName(QStringLiteral("Avancement du calcul"));
    top->addWidget(Progress, 1);
    CancelButton = new QPushButton(QStringLiteral("A&nnuler le calcul"), this);
    top->addWidget(CancelButton);
    layout->addLayout(top);

    Map = new HeatMap(this);
    layout->addWidget(Map, 1);

    Legend = new QLabel(this);
    Legend->setWordWrap(true);
    layout->addWidget(Legend);
    auto* bottom = new QHBoxLayout;
    Status = new QLabel(this);
    Status->setAccessibleName(QStringLiteral("État"));
    bottom->addWidget(Status, 1);
    PrintButton = new QPushButton(QStringLiteral("&Imprimer"), this);
    PdfButton = new QPushButton(QStringLiteral("Imprimer en &PDF…"), this);
    SaveButton = new QPushButton(QStringLiteral("&Enregistrer"), this);
    CopyButton = new QPushButton(QStringLiteral("&Copier"), this);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    for (QPushButton* button : {PrintButton, PdfButton, SaveButton, CopyButton, close})
        bottom->addWidget(button);
    layout->addLayout(bottom);

    saveDialog_ = new QFileDialog(this);
    saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->setFileMode(QFileDialog::AnyFile);
    saveDialog_->setNameFilter(QStringLiteral("CSV (*.csv)"));
    saveDialog_->setDefaultSuffix(QStringLiteral("csv"));
    pdfDialog_ = new QFileDialog(this);
    pdfDialog_->setOption(QFileDialog::DontUseNativeDialog);
    pdfDialog_->setAcceptMode(QFileDialog::AcceptSave);
    pdfDialog_->setFileMode(QFileDialog::AnyFile);
    pdfDialog_->setNameFilter(QStringLiteral("PDF (*.pdf)"));
    pdfDialog_->setDefaultSuffix(QStringLiteral("pdf"));

    connect(DateFrom, &QDateEdit::dateChanged, this, &PeriodWindow::DatesChanged);
    connect(DateTo, &QDateEdit::dateChanged, this, &PeriodWindow::DatesChanged);
    connect(Room, &QComboBox::editTextChanged, this, &PeriodWindow::Restart);
    connect(CancelButton, &QPushButton::clicked, this, &PeriodWindow::CancelCount);
    connect(PrintButton, &QPushButton::clicked, this, &PeriodWindow::Print);
    connect(PdfButton, &QPushButton::clicked, this, &PeriodWindow::PrintToPdf);
    connect(SaveButton, &QPushButton::clicked, this, &PeriodWindow::Save);
    connect(CopyButton, &QPushButton::clicked, this, &PeriodWindow::Copy);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    for (auto changed : {&WindowSettings::LogFolderChanged, &WindowSettings::SlotHeadersChanged,
                         &WindowSettings::RoomsChanged})
        connect(shared_.settings, changed, this, &PeriodWindow::SettingsChanged);
    if (shared_.printing)
        connect(shared_.printing, &PrintJobRun::RunningChanged, this,
                [this](bool printing) {
                    PrintButton->setEnabled(!printing && !Running());
                    PdfButton->setEnabled(!printing && !Running());
                });
    ShowIdle(QString());
}

// The count's thread ends with run_, before the widgets go.
PeriodWindow::~PeriodWindow() = default;

void PeriodWindow::Open(QDate day, const QString& room)
{
    {
        const QSignalBlocker quietFrom(DateFrom);
        const QSignalBlocker quietTo(DateTo);
        const QSignalBlocker quietRoom(Room);
        // The bounds of an earlier period must not cut this one.
        DateFrom->clearMinimumDate();
        DateTo->clearMaximumDate();
        DateFrom->setDate(QDate(day.year(), day.month(), 1));
        DateTo->setDate(day);
        OfferRooms();
        Room->setEditText(room);
    }
    BoundDates();
    show();
    raise();
    activateWindow();
    Restart();
}

void PeriodWindow::OfferRooms()
{
    const QSignalBlocker quiet(Room);
    const QString text = Room->currentText();
    Room->clear();
    for (std::string_view item : shared_.settings->Rooms())
        Room->addItem(FromCp1252(item));
    Room->addItem(FromCp1252(kAllRooms));
    Room->setEditText(text);
}

void PeriodWindow::BoundDates()
{
    const QSignalBlocker quietFrom(DateFrom);
    const QSignalBlocker quietTo(DateTo);
    // Within the dates a date box can show at all.
    const QDate earliest = std::max(ToQDate(FirstDayOfPeriodTo(ToLogDate(DateTo->date()))), QDate(1752, 9, 14));
    const QDate latest = std::min(ToQDate(LastDayOfPeriodFrom(ToLogDate(DateFrom->date()))), QDate(9999, 12, 31));
    DateFrom->setMinimumDate(earliest);
    DateTo->setMaximumDate(latest);
}

void PeriodWindow::DatesChanged()
{
    BoundDates();
    Restart();
}

// The staff chose another log folder, or edited the slots or rooms: the map
// of the old ones would be a wrong answer.
void PeriodWindow::SettingsChanged()
{
    if (!isVisible())
        return; // Open takes them as they are then
    OfferRooms();
    Restart();
}

void PeriodWindow::ShowIdle(const QString& status)
{
    Progress->setValue(0);
    Progress->setEnabled(false);
    CancelButton->setEnabled(false);
    const bool shown = !Map->Model().Use().headers.empty();
    SaveButton->setEnabled(shown);
    CopyButton->setEnabled(shown);
    PrintButton->setEnabled(shown && !(shared_.printing && shared_.printing->Running()));
    PdfButton->setEnabled(PrintButton->isEnabled());
    Status->setText(status);
}

void PeriodWindow::Restart()
{
    Map->Model().SetUse({});
    Legend->clear();
    if (DateFrom->date() > DateTo->date()) {
        run_.CancelAndWait();
        ShowIdle(QStringLiteral("La date « Du » est après la date « Au » : rien à compter."));
        return;
    }
    PeriodRequest request;
    request.logFolder = shared_.settings->LogFolder();
    request.first = ToLogDate(DateFrom->date());
    request.last = ToLogDate(DateTo->date());
    request.room = ToCp1252(Room->currentText());
    request.headerRow = shared_.settings->SlotHeaderRow();
    request.roomOrder = shared_.settings->Rooms();
    run_.Restart([request = std::move(request)](Run::Outbox& out) {
        PeriodEvents events;
        events.onProgress = [&out](std::size_t done, std::size_t count) { out.Post({done, count}); };
        return RunPeriodJob(request, events, &out.Cancelled());
    });
    Progress->setEnabled(true);
    Progress->setRange(0, 0); // busy until the first day is counted
    CancelButton->setEnabled(true);
    for (QPushButton* button : {PrintButton, PdfButton, SaveButton, CopyButton})
        button->setEnabled(false);
    Status->setText(QStringLiteral("Calcul en cours…"));
}

void PeriodWindow::CancelCount()
{
    // The job looks at the flag between days and every few thousand lines.
    run_.CancelAndWait();
    ShowIdle(QStringLiteral("Calcul annulé."));
}

void PeriodWindow::Ended(Run::Ending ending)
{
    ScanOutcome outcome = ending.result.outcome;
    if (!ending.failure.empty()) {
        outcome.allRead = false;
        outcome.errors.push_back(ending.failure);
    }
    Map->Model().SetUse(std::move(ending.result.use));
    std::uint64_t most = 0;
    for (const RoomUse& room : Map->Model().Use().rooms)
        for (std::uint64_t count : room.bySlot)
            most = std::max(most, count);
    Legend->setText(QStringLiteral("Plus la case est foncée, plus la salle a servi dans ce créneau "
                                   "(de 0, le plus clair, à %1, le plus foncé). %2 connexion(s) en tout.")
                        .arg(most)
                        .arg(Map->Model().Use().Total()));
    ShowIdle(Map->Model().Use().rooms.empty() ? QStringLiteral("Aucune connexion sur la période.")
                                              : QStringLiteral("Calcul terminé."));
    ShowKivErrors(this, outcome.errors);
    emit Finished(outcome);
}

QString PeriodWindow::Title() const
{
    return QStringLiteral("Occupation des salles du %1 au %2, salle : %3")
        .arg(DateFrom->date().toString(QStringLiteral("dd/MM/yyyy")),
             DateTo->date().toString(QStringLiteral("dd/MM/yyyy")), Room->currentText());
}

void PeriodWindow::SaveTo(const std::filesystem::path& path) const
{
    RefuseSavingOverProgramFile(path, shared_.settings->ReadFiles());
    std::error_code error;
    if (std::filesystem::is_directory(path, error) || !WriteFileBytes(path, PeriodSummaryCsv(Map->Model().Use())))
        throw KivError(CannotCreateMessage(PathForMessage(path)));
}

void PeriodWindow::Save()
{
    saveDialog_->selectFile(QStringLiteral("occupation_%1_%2.csv")
                                .arg(DateFrom->date().toString(QStringLiteral("yyyy-MM-dd")),
                                     DateTo->date().toString(QStringLiteral("yyyy-MM-dd"))));
    if (!shared_.runModal || shared_.runModal(*saveDialog_) != QDialog::Accepted)
        return;
    const QStringList files = saveDialog_->selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return;
    ReportErrors(this, [&] { SaveTo(std::filesystem::path(files.front().toStdU16String())); });
}

QString PeriodWindow::TabSeparated() const
{
    QString text;
    for (const std::vector<std::string>& row : PeriodSummaryRows(Map->Model().Use())) {
        QStringList fields;
        for (const std::string& field : row)
            fields << FromCp1252(field).replace(QLatin1Char('\t'), QLatin1Char(' '));
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void PeriodWindow::Copy()
{
    QApplication::clipboard()->setText(TabSeparated());
    Status->setText(QStringLiteral("Tableau copié : il se colle dans un tableur."));
}

void PeriodWindow::Print()
{
    ReportErrors(this, [this] {
        // The printout takes the map as it is now; a new count may start meanwhile.
        shared_.printing->Start(PrepareLandscapePagePrint(
            *shared_.printer, Title(), [use = Map->Model().Use(), title = Title()](QPainter& painter, const QRectF& page) {
                PaintHeatMap(painter, page, use, title);
            }));
    });
}

void PeriodWindow::PrintToPdf()
{
    if (!shared_.runModal || shared_.runModal(*pdfDialog_) != QDialog::Accepted || pdfDialog_->selectedFiles().value(0).isEmpty())
        return;
    const QString file = pdfDialog_->selectedFiles().front();
    ReportErrors(this, [&] {
        RefuseSavingOverProgramFile(std::filesystem::path(file.toStdU16String()), shared_.settings->ReadFiles());
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        if (shared_.printer)
            printer->setPageSize(shared_.printer->pageLayout().pageSize());
        UsePrintableArea(*printer, QPageLayout::Landscape);
        auto job = PrepareLandscapePagePrint(
            *printer, Title(), [use = Map->Model().Use(), title = Title()](QPainter& painter, const QRectF& page) {
                PaintHeatMap(painter, page, use, title);
            });
        shared_.printing->Start([printer, job = std::move(job)](const std::atomic<bool>& cancel) { job(cancel); });
    });
}

void PeriodWindow::closeEvent(QCloseEvent* event)
{
    if (Running())
        CancelCount();
    QWidget::closeEvent(event);
}

} // namespace kiv
