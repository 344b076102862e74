namespace vellumark::host {}
