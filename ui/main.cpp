#include "RavelmarkApp.h"

int main(int argc, char** argv)
{
    CRavelmarkApp theApp(argc, argv);
    return theApp.InitInstance();
}
