Vec &Vec::operator+=(const Vec &other)
{
    return *this;
}
bool ns::Vec::operator==(const Vec &other) const;
Matrix &Matrix::operator()(int row, int column);
void *Pool::operator new[](size_t size);
A::operator int() const;
int &Array::operator[](int index);
Fifo<mode>& Fifo<mode>::operator=(Fifo&& other) noexcept;
File SearchPath::operator[](int index) const;
friend class List<Element>::Appender;
