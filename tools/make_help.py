#!/usr/bin/env python3
"""Compiles the help file main.chm from help/pages with chmcmd.

usage: make_help.py <pages folder> <work folder> <out main.chm> <copyright file>...

License.html is written from the product's terms and the given copyright files of the
shipped data. The compiler stamps the build time into two fields; both are set to a fixed
value afterwards, so the same pages always give the same bytes.
"""
import html
import os
import shutil
import struct
import subprocess
import sys

FIXED_TIME = 0x5E0BE100  # 2020-01-01

TERMS = """<p>本软件按“现状”提供，不附带任何明示或暗示的担保。安装和使用本软件即表示您同意：
在法律允许的范围内，软件的提供者不对因使用本软件造成的任何损失负责。</p>
<p>输入法的码表由下列开放数据生成，各自遵循其许可：</p>"""


def write_license_page(path, copyright_files):
    names = [p.rstrip('/').split('/')[-2] for p in copyright_files]
    parts = ['<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8">',
             '<title>最终用户许可协议</title><link rel="stylesheet" href="style.css"></head><body>',
             '<h1>最终用户许可协议</h1>', TERMS, '<ul>']
    parts += [f'<li><a href="#{html.escape(n)}">{html.escape(n)}</a></li>' for n in names]
    parts.append('</ul>')
    for name, src in zip(names, copyright_files):
        with open(src, encoding='utf-8', errors='replace') as f:
            text = f.read()
        parts.append(f'<h2><a name="{html.escape(name)}">{html.escape(name)}</a></h2>')
        parts.append('<pre>' + html.escape(text) + '</pre>')
    parts.append('</body></html>\n')
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\n'.join(parts))


def encint(data, pos):
    value = 0
    while True:
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if b < 0x80:
            return value, pos


def directory_entries(data):
    """Yields (name, section, offset, length) of every entry in the listing chunks."""
    sec1_off = struct.unpack_from('<Q', data, 0x48)[0]
    if data[sec1_off:sec1_off + 4] != b'ITSP':
        raise ValueError('no directory header')
    header_len, = struct.unpack_from('<I', data, sec1_off + 8)
    chunk_size, = struct.unpack_from('<I', data, sec1_off + 0x10)
    chunks, = struct.unpack_from('<I', data, sec1_off + 0x2C)
    base = sec1_off + header_len
    for c in range(chunks):
        chunk = data[base + c * chunk_size: base + (c + 1) * chunk_size]
        if chunk[:4] != b'PMGL':
            continue
        free, = struct.unpack_from('<I', chunk, 4)
        pos, end = 0x14, chunk_size - free
        while pos < end:
            n, pos = encint(chunk, pos)
            name = chunk[pos:pos + n].decode('utf-8', 'replace')
            pos += n
            section, pos = encint(chunk, pos)
            offset, pos = encint(chunk, pos)
            length, pos = encint(chunk, pos)
            yield name, section, offset, length


def fix_timestamps(path):
    with open(path, 'rb') as f:
        data = bytearray(f.read())
    if data[:4] != b'ITSF':
        raise ValueError(f'{path}: not a compiled help file')
    struct.pack_into('>I', data, 0x10, FIXED_TIME)
    content = struct.unpack_from('<Q', data, 0x58)[0]
    for name, section, offset, length in directory_entries(data):
        if name != '/#SYSTEM' or section != 0:
            continue
        pos, end = content + offset + 4, content + offset + length
        while pos + 4 <= end:
            code, size = struct.unpack_from('<HH', data, pos)
            if code == 10 and size >= 4:
                struct.pack_into('<I', data, pos + 4, FIXED_TIME)
            pos += 4 + size
    with open(path, 'wb') as f:
        f.write(data)


def main(pages, work, out, *copyright_files):
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(pages, work)
    write_license_page(os.path.join(work, 'License.html'), copyright_files)
    cmd = ['chmcmd', '--verbosity', '0', 'main.hhp']
    # The compiler's output depends on its addresses; a fixed layout keeps it stable.
    if shutil.which('setarch'):
        cmd = ['setarch', '-R'] + cmd
    subprocess.run(cmd, cwd=work, check=True, stdout=subprocess.DEVNULL)
    fix_timestamps(os.path.join(work, 'main.chm'))
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    shutil.copyfile(os.path.join(work, 'main.chm'), out)


if __name__ == '__main__':
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
