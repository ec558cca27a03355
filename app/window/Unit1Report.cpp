// The main window's way into the report on one pupil or one computer: the
// popup's two reports for the caret's line and the button that asks for any.

#include "app/window/Unit1.h"

#include "app/lists/TypedWords.h"
#include "app/report/ReportRequestDialog.h"
#include "app/report/ReportWindow.h"
#include "app/results/ResultsOutput.h"
#include "app/results/ResultsView.h"
#include "app/window/KivErrorBox.h"
#include "app/window/WindowSettings.h"
#include "grid/TSlotGrid.h"
#include "logscan/ResultFields.h"
#include "logscan/SlotRule.h"
#include "qtext/QtCp1252.h"
#include "table/OccupationTable.h"

#include <QCalendarWidget>

namespace kiv {

void TForm1::RapportEleveClick()
{
    OpenReport(true, PupilField(RichEdit1->LineText(RichEdit1->SelectionStartLine())));
}

void TForm1::RapportOrdiClick()
{
    OpenReport(false, ComputerField(RichEdit1->LineText(RichEdit1->SelectionStartLine())));
}

void TForm1::SpeedButtonRapportClick()
{
    OpenReport(true, std::string());
}

void TForm1::OpenReport(bool pupil, const std::string& name)
{
    const TypedWords typed = WordsOfBox(*Memo3);
    ReportRequestDialog ask(pupil ? ReportSubject::Pupil : ReportSubject::Computer, FromCp1252(name),
                            MonthCalendar1->selectedDate(), !typed.words.empty(), this);
    // OK stays disabled until the request can be a report; a name is a must.
    if (RunModal(ask) != QDialog::Accepted || ask.Name().empty())
        return;
    SubjectReportRequest request;
    request.logFolder = settings_->LogFolder();
    request.subject = ask.Subject();
    request.name = ask.Name();
    request.first = ask.First();
    request.last = ask.Last();
    if (ask.UseTypedWords()) {
        ShowKivErrors(this, typed.refusals);
        request.words = typed.words;
    } else {
        request.words = settings_->DefaultWords();
    }
    for (int column = 0; column < kSlotColumnCount; ++column)
        request.headerRow.push_back(SlotGrid1->Table().Header(column));
    ReportWindow::Shared shared{printRun_, [this] { return resultsOutput_->NewJobPrinter(); },
                                [this] { return settings_->ReadFiles(); },
                                RunModal, HasDefaultPrinter};
    auto* window = new ReportWindow(std::move(shared), std::move(request), this);
    window->show();
}

} // namespace kiv
