#include <iostream>

#include "tools/base_check.h"

int main(int argc, char** argv) {
    return tumbo::tools::RunCheck(argc, argv, std::cout, std::cerr);
}
