#pragma once
// Asks who and when a report is about: a pupil or a computer, its name, the
// first and last day, and whether the typed words replace the default list.

#include "jobs/SubjectReport.h"

#include <QDate>
#include <QDialog>

class QCheckBox;
class QDateEdit;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kiv {

class ReportRequestDialog : public QDialog {
    Q_OBJECT

public:
    // typedWordsOffered: the typed words are there to be chosen instead of
    // the default list.
    ReportRequestDialog(ReportSubject subject, const QString& name, QDate day, bool typedWordsOffered,
                        QWidget* parent);

    ReportSubject Subject() const;
    // Windows-1252, as the logs hold names; empty while nothing is typed.
    std::string Name() const;
    LogDate First() const;
    LogDate Last() const;
    bool UseTypedWords() const;

    QRadioButton* PupilChoice = nullptr;
    QRadioButton* ComputerChoice = nullptr;
    QLineEdit* NameEdit = nullptr;
    QDateEdit* DateFrom = nullptr;
    QDateEdit* DateTo = nullptr;
    QCheckBox* TypedWords = nullptr;
    QLabel* Problem = nullptr; // why OK cannot be pressed yet
    QDialogButtonBox* Buttons = nullptr;

private:
    void Check();
};

} // namespace kiv
