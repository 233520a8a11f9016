#include "app/MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>

void MessageBoxSink::ShowMessage(const std::string& text) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app) || QThread::currentThread() != app->thread()) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}
