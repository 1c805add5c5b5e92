#pragma once
// "About velmoranth": two pictures and OK.

#include <QDialog>

class CAboutDlg : public QDialog {
  public:
    CAboutDlg();
};
