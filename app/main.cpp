#include "app/application.h"

int main(int argc, char** argv) {
    CTolvaneApp app(argc, argv);
    app.InitInstance();
    return app.ExitStatus();
}
