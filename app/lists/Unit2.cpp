#include "app/lists/Unit2.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

namespace kiv {

TOKBottomDlg::TOKBottomDlg(std::filesystem::path configFolder, QWidget* parent)
    : TListDialog("kiv_salles.txt", std::move(configFolder), parent)
{
    setObjectName(QStringLiteral("OKBottomDlg"));
    setWindowTitle(QStringLiteral("Saisir les classes"));
    setFixedSize(313, 214);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setGeometry(16, 8, 273, 161);
    auto* layout = new QVBoxLayout(Bevel1);
    layout->setContentsMargins(2, 2, 2, 2);
    Memo1->setParent(Bevel1);
    layout->addWidget(Memo1);
    Memo1->setAccessibleName(QStringLiteral("Salles"));

    OKBtn->setGeometry(79, 180, 75, 25);
    OKBtn->setDefault(true);
    OKBtn->setToolTip(QString::fromUtf8("Permet de définir les salles"));
    CancelBtn->setGeometry(159, 180, 75, 25);

    // The buttons come first: the dialog opens with OK focused.
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, Memo1);
    SetInitialFocus(OKBtn);
}

} // namespace kiv
