"""Radicale's filesystem storage for bench/sync_bench, without the work per upload that grows with the
collection.

Radicale 3.1's PUT of a new item checks that no item of the collection has its UID by reading every item
(file, hash and cache entry), and each upload then scans the item cache and the history folders for
entries of files deleted behind its back. That makes a first sync of n items cost n^2/2 item reads on the
server, which no setting turns off. Here the UID check asks a set of the collection's UIDs, built from
the items once and kept up to date, and the two clean-ups are left out: the benchmark deletes nothing and
edits no file outside the server, so they would find nothing to clean. Every request is answered as the
stock storage answers it; the floor and the sync use the same server.

Used with: radicale --storage-type=radicale_bench_storage (this folder on PYTHONPATH).
"""
from radicale.storage import multifilesystem

# Collection path -> UIDs of its items; built on first use, dropped on any delete or move.
_uids = {}


class Collection(multifilesystem.Collection):

    def has_uid(self, uid):
        known = _uids.get(self.path)
        if known is None:
            known = _uids[self.path] = {item.uid for item in self.get_all()}
        return uid in known

    def upload(self, href, item):
        uploaded = super().upload(href, item)
        if self.path in _uids:
            _uids[self.path].add(uploaded.uid)
        return uploaded

    def delete(self, href=None):
        _uids.clear()
        super().delete(href)

    def _clean_item_cache(self):
        pass

    def _clean_history(self):
        pass


class Storage(multifilesystem.Storage):

    _collection_class = Collection

    def create_collection(self, *args, **kwargs):
        _uids.clear()
        return super().create_collection(*args, **kwargs)

    def move(self, *args, **kwargs):
        _uids.clear()
        super().move(*args, **kwargs)
