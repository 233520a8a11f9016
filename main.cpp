#include "app/AppSettings.h"
#include "app/ZeltaUpdaterApp.h"

#include <QApplication>
#include <QStringList>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i) {
        arguments.push_back(all[i].toStdString());
    }

    AppSettings settings;
    ZeltaUpdaterApp app(settings, std::move(arguments), std::cout);
    app.InitInstance();
    return app.ExitInstance();
}
