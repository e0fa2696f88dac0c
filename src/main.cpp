#include "AppDelegate.h"
#include "Platform/App/Application.h"

int main(int argc, char** argv)
{
    return Application::main(argc, argv, [] { return new AppDelegate; });
}
