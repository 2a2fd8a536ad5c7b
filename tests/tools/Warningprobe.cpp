// Built only by the WarningsStopTheBuild test, with the options of every file of a build with
// tests: the else below belongs to the inner if, which the compiler warns of, and the warning
// must stop the build.
int WarningProbe(int a, int b)
{
    int r = 0;
    if (a)
        if (b)
            r = 1;
        else
            r = 2;
    return r;
}
