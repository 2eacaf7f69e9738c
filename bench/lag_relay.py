#!/usr/bin/env python3
# A TCP relay that holds every chunk it passes for a while in each direction, to see
# what round trips cost where the database server is across a network rather than on
# this machine:
#   python3 bench/lag_relay.py 5433 5432 0.25 &     # listen on 5433, relay to 5432, 0.25 ms each way
#   build/bench/bench_openSave --pg "host=127.0.0.1 port=5433 ..." --pg-only 500
# The relay's own scheduling adds latency of its own (a round trip through it costs a
# few milliseconds on the 2-core machine), so compare cases measured through it alike.
import asyncio
import sys
import time

DELAY = float(sys.argv[3]) / 1000.0


async def relay(reader, writer):
    queue = asyncio.Queue()

    async def send():
        while True:
            due, data = await queue.get()
            if data is None:
                writer.close()
                return
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()

    sender = asyncio.create_task(send())
    while True:
        data = await reader.read(65536)
        if not data:
            await queue.put((0, None))
            break
        await queue.put((time.monotonic() + DELAY, data))
    await sender


async def connection(client_reader, client_writer):
    server_reader, server_writer = await asyncio.open_connection('127.0.0.1', int(sys.argv[2]))
    await asyncio.gather(relay(client_reader, server_writer), relay(server_reader, client_writer),
                         return_exceptions=True)


async def main():
    server = await asyncio.start_server(connection, '127.0.0.1', int(sys.argv[1]))
    async with server:
        await server.serve_forever()


asyncio.run(main())
