#include "Unit3.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kiv {

TOKheureDlg1::TOKheureDlg1(std::filesystem::path configFolder, QWidget* parent)
    : TListDialog("kiv_heures.txt", std::move(configFolder), parent)
{
    setObjectName(QStringLiteral("OKheureDlg1"));
    setWindowTitle(QStringLiteral("Saisir heures"));
    setFixedSize(313, 249);

    // "**h**": two digits, the letter h, two digits.
    Label1 = new QLabel(QStringLiteral("format : **h**     exemple   08h00   ou   9h20"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->move(64, 8);
    Label1->adjustSize();
    Label2 = new QLabel(QStringLiteral("8 lignes seulement"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    Label2->move(112, 32);
    Label2->adjustSize();

    Memo1->setGeometry(16, 48, 281, 145);
    OKBtn->setGeometry(79, 212, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn->setGeometry(159, 212, 75, 25);

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, Memo1);
    SetInitialFocus(OKBtn);
}

} // namespace kiv
