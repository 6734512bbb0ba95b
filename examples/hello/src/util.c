/* util.c: the example's second source file; the lines the make output
   names are below. */
int add(int a, int b)
{
    int unused;

    /* line 7 declares nothing; the example output points here */
    return a + b;
}

int sum(int n)
{
    return count;
}

int broken(void)
{
    return total
}
