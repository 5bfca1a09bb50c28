// Linked with every object of the core library and nothing else: the link
// fails when a core file needs a symbol of curses or of the screen layer.
int main()
{
    return 0;
}
