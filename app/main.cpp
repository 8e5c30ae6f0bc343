#include "app/MusicalApp.h"

int main(int argc, char** argv)
{
    vand::qt::PelorinApp application(argc, argv);
    return application.ExitCode();
}
