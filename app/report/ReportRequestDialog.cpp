#include "app/report/ReportRequestDialog.h"

#include "jobs/PeriodJob.h"
#include "logscan/Cp1252.h"
#include "qtext/QtCp1252.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kiv {
namespace {

QDateEdit* NewDateEdit(QDate day, const QString& name, const QString& spoken, QWidget* parent)
{
    auto* edit = new QDateEdit(day, parent);
    edit->setObjectName(name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edit->setAccessibleName(spoken);
    return edit;
}

LogDate ToLogDate(QDate day)
{
    return {day.year(), day.month(), day.day()};
}

} // namespace

ReportRequestDialog::ReportRequestDialog(ReportSubject subject, const QString& name, QDate day,
                                         bool typedWordsOffered, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportRequestDialog"));
    setWindowTitle(QStringLiteral("Rapport sur un élève ou un ordinateur"));
    auto* layout = new QVBoxLayout(this);

    auto* subjects = new QHBoxLayout;
    PupilChoice = new QRadioButton(QStringLiteral("É&lève"), this);
    PupilChoice->setObjectName(QStringLiteral("PupilChoice"));
    ComputerChoice = new QRadioButton(QStringLiteral("&Ordinateur"), this);
    ComputerChoice->setObjectName(QStringLiteral("ComputerChoice"));
    (subject == ReportSubject::Pupil ? PupilChoice : ComputerChoice)->setChecked(true);
    subjects->addWidget(PupilChoice);
    subjects->addWidget(ComputerChoice);
    subjects->addStretch(1);
    layout->addLayout(subjects);

    auto* form = new QFormLayout;
    NameEdit = new QLineEdit(name, this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    NameEdit->setAccessibleName(QStringLiteral("Nom de l'élève ou de l'ordinateur"));
    NameEdit->setToolTip(QStringLiteral("L'identifiant de l'élève (eleve12), ou le nom de l'ordinateur "
                                        "(PC03, S514-PC03 ou POSTE12), tel que les logs l'écrivent"));
    DateFrom = NewDateEdit(day, QStringLiteral("DateFrom"), QStringLiteral("Premier jour du rapport"), this);
    DateTo = NewDateEdit(day, QStringLiteral("DateTo"), QStringLiteral("Dernier jour du rapport"), this);
    form->addRow(QStringLiteral("&Nom :"), NameEdit);
    form->addRow(QStringLiteral("&Du :"), DateFrom);
    form->addRow(QStringLiteral("&Au :"), DateTo);
    layout->addLayout(form);

    TypedWords = new QCheckBox(QStringLiteral("Avec les mots &tapés au lieu des mots par défaut"), this);
    TypedWords->setObjectName(QStringLiteral("TypedWords"));
    TypedWords->setEnabled(typedWordsOffered);
    layout->addWidget(TypedWords);

    Problem = new QLabel(this);
    Problem->setObjectName(QStringLiteral("Problem"));
    Problem->setWordWrap(true);
    layout->addWidget(Problem);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Établir le rapport"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    layout->addWidget(Buttons);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(NameEdit, &QLineEdit::textChanged, this, &ReportRequestDialog::Check);
    connect(DateFrom, &QDateEdit::dateChanged, this, &ReportRequestDialog::Check);
    connect(DateTo, &QDateEdit::dateChanged, this, &ReportRequestDialog::Check);
    Check();
    NameEdit->setFocus();
}

void ReportRequestDialog::Check()
{
    QString problem;
    if (NameEdit->text().trimmed().isEmpty())
        problem = QStringLiteral("Tapez le nom de l'élève ou de l'ordinateur.");
    else if (FirstCharacterOutsideCp1252(NameEdit->text().toStdString()))
        problem = QStringLiteral("Ce nom contient un caractère que les logs ne peuvent pas contenir.");
    else if (DateFrom->date() > DateTo->date())
        problem = QStringLiteral("Le premier jour est après le dernier.");
    else if (!PeriodWithinLimit(First(), Last()))
        problem = FromCp1252(PeriodTooLongMessage(First())) + QLatin1Char('.');
    Problem->setText(problem);
    Problem->setVisible(!problem.isEmpty());
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
}

ReportSubject ReportRequestDialog::Subject() const
{
    return PupilChoice->isChecked() ? ReportSubject::Pupil : ReportSubject::Computer;
}

std::string ReportRequestDialog::Name() const
{
    return ToCp1252(NameEdit->text().trimmed());
}

LogDate ReportRequestDialog::First() const
{
    return ToLogDate(DateFrom->date());
}

LogDate ReportRequestDialog::Last() const
{
    return ToLogDate(DateTo->date());
}

bool ReportRequestDialog::UseTypedWords() const
{
    return TypedWords->isEnabled() && TypedWords->isChecked();
}

} // namespace kiv
