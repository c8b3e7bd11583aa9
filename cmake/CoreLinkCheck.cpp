// Links every object of the headless targets (see src/CMakeLists.txt); never run.
int main()
{
    return 0;
}
