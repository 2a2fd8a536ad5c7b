#include "service/ui/Fileask.h"

#include <QFileDialog>

bool AskFileName(QWidget* parent, const SFileQuery& q, std::string& fileName)
{
    QFileDialog dialog(parent, QString::fromStdString(q.Title));
    dialog.setNameFilter(QString::fromStdString(q.Filter));
    dialog.setDefaultSuffix(QString::fromStdString(q.Extension));
    dialog.setAcceptMode(q.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(q.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().first().toStdString();
    return true;
}
