/* util.c: the example's second source file. The output that hello.mak
   prints for its builds points at lines 7, 12, 15 and 18 below. */

int add(int a, int b)
{
    /* the clean build warns: declared here and never used */
    int unused;
    return a + b;
}

int sum(int n)
{   return count + n; }     /* error: count is declared nowhere */

int half(int n)
{   int h = n / 2           /* error: the ';' is missing */
    return h;
}
int last(void) { return total; }    /* error: total is declared nowhere */
