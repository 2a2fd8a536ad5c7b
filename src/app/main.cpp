#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantrel Orrery");
    QMainWindow window;
    window.setWindowTitle("Vantrel Orrery");
    window.resize(800, 600);
    window.show();
    return app.exec();
}
