#include "tools/pack/pack.h"

#include <iostream>

int main(int argc, char *argv[])
{
    return runPack(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
