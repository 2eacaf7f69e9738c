#pragma once
#include <QDialog>

// Name and version of the component, shown modal from the Help menu.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};
