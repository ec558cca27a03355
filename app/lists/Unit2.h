#pragma once
// The room list dialog, "kiv_salles.txt".

#include "app/lists/ListDialog.h"

class QFrame;

namespace kiv {

class TOKBottomDlg : public TListDialog {
    Q_OBJECT

public:
    explicit TOKBottomDlg(std::filesystem::path configFolder, QWidget* parent = nullptr);

    QFrame* Bevel1 = nullptr;
};

} // namespace kiv
