#include <iostream>

#include "tools/merge.h"

int main(int argc, char** argv) {
    return tumbo::tools::RunMerge(argc, argv, std::cout, std::cerr);
}
