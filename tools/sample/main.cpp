// edvara-sample: writes the sample target database and school directory.
#include "tools/sample/SampleTool.h"

#include <QString>

#include <iostream>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return sample::runSampleTool(arguments, std::cout, std::cerr);
}
