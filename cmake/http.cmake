# The HTTP/1.0 client and its message parsing.
