#include <iostream>

#include "tools/chat.h"

int main(int argc, char** argv) {
    return tumbo::tools::RunChat(argc, argv, std::cin, std::cout, std::cerr);
}
