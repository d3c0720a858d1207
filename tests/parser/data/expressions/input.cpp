void run()
{
    auto step = [&]() {
        draw(shape, scale(2, 3));
        window.layout->update();
        std::sort(begin, end);
        Node *node = new Node;
        delete node;
        x = y + 1;
        {}
        ;
    };
}
