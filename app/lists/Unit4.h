#pragma once
// The default word list dialog, "kiv.ini". Spaces before, after and inside an
// entry are part of the word that is searched.

#include "app/lists/ListDialog.h"

class QLabel;

namespace kiv {

class TOKmotDlg1 : public TListDialog {
    Q_OBJECT

public:
    explicit TOKmotDlg1(std::filesystem::path configFolder, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
};

} // namespace kiv
