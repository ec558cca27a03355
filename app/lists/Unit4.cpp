#include "app/lists/Unit4.h"

#include <QLabel>
#include <QPushButton>

namespace kiv {

TOKmotDlg1::TOKmotDlg1(std::filesystem::path configFolder, QWidget* parent)
    : TListDialog("kiv.ini", std::move(configFolder), parent)
{
    setObjectName(QStringLiteral("OKmotDlg1"));
    setWindowTitle(QString::fromUtf8("Modifier les mots recherchés par défaut"));
    setFixedSize(312, 464);

    Label1 = AddLabel("Label1", QString::fromUtf8("les mots acceptent les espaces avant , après  , dedans"),
                      QPoint(32, 16));

    Memo1->setGeometry(24, 40, 257, 345);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setAccessibleName(QString::fromUtf8("Mots recherchés par défaut"));

    // Enter belongs to the word list here: no button is the default one.
    OKBtn->setGeometry(71, 404, 75, 25);
    OKBtn->setAutoDefault(false);
    OKBtn->setDefault(false);
    CancelBtn->setGeometry(159, 404, 75, 25);
    CancelBtn->setAutoDefault(false);

    setTabOrder(Memo1, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    SetInitialFocus(Memo1);
}

} // namespace kiv
