#include "app/lists/Unit3.h"

#include <QLabel>
#include <QPushButton>

namespace kiv {

TOKheureDlg1::TOKheureDlg1(std::filesystem::path configFolder, QWidget* parent)
    : TListDialog("kiv_heures.txt", std::move(configFolder), parent)
{
    setObjectName(QStringLiteral("OKheureDlg1"));
    setWindowTitle(QStringLiteral("Saisir heures"));
    setFixedSize(313, 249);

    // "**h**": two digits, the letter h, two digits.
    Label1 = AddLabel("Label1", QStringLiteral("format : **h**     exemple   08h00   ou   9h20"), QPoint(64, 8));
    Label2 = AddLabel("Label2", QStringLiteral("8 lignes seulement"), QPoint(112, 32));

    Memo1->setGeometry(16, 48, 281, 145);
    Memo1->setAccessibleName(QStringLiteral("Heures"));
    OKBtn->setGeometry(79, 212, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn->setGeometry(159, 212, 75, 25);

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, Memo1);
    SetInitialFocus(OKBtn);
}

} // namespace kiv
