namespace virtual_ports_placeholder {}
