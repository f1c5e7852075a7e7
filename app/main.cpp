#include "app/program.h"

int main(int argc, char** argv)
{
    return quillo::RunProgram(argc, argv);
}
