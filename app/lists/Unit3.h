#pragma once
// The time-slot list dialog, "kiv_heures.txt": one start time per line, at
// most eight shown by the table. The dialog checks neither format nor count.

#include "app/lists/ListDialog.h"

class QLabel;

namespace kiv {

class TOKheureDlg1 : public TListDialog {
    Q_OBJECT

public:
    explicit TOKheureDlg1(std::filesystem::path configFolder, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
};

} // namespace kiv
