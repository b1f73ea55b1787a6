// The content generator's entry: mewbloom_content --source DIR --properties DIR
// --data DIR --review DIR. Exits 0 when every file was written.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/ContentGenerator.h"

int main(int argc, char** argv)
{
    Quill::Content::ContentGenerator::Folders folders;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--source")
            folders.source = value;
        else if (option == "--properties")
            folders.properties = value;
        else if (option == "--data")
            folders.data = value;
        else if (option == "--review")
            folders.review = value;
        else {
            std::fprintf(stderr, "mewbloom_content: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (folders.source.empty() || folders.data.empty()) {
        std::fprintf(stderr,
                     "usage: mewbloom_content --source DIR --properties DIR --data DIR [--review DIR]\n");
        return 2;
    }
    Quill::Content::ContentGenerator generator(folders);
    return generator.Run() ? 0 : 1;
}
