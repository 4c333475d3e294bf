// edvara-judge-target: school-shaped Access targets made by the independent judge.
#include "tools/judge-target/JudgeTargetTool.h"

#include <QString>

#include <iostream>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return judgetarget::runJudgeTargetTool(arguments, std::cout, std::cerr);
}
