// gleaner: the window without arguments, the command line with a subcommand.
#include "CliMain.h"
#include "GuiMain.h"

int main(int argc, char **argv)
{
    if (IsCliInvocation(argc, argv))
        return RunCli(argc, argv);
    return RunGui(argc, argv);
}
